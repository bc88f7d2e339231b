// What a template's "Launch" action may open, and the user's consent to it.
//
// A template travels with its project, so the text of a "Launch" action may
// come from anyone who sent the project. Only web and mail addresses (http,
// https, mailto) and existing documents are opened: never a program, a
// desktop entry, a directory or a device. Before anything is opened the user
// is asked, the question naming exactly what would be opened (default No);
// a project where the user chose "Always for this project" is not asked
// again. That choice is kept in the project together with the identity of
// its database file, so a copy of the project (one received from someone,
// or one made from it as a base) does not inherit it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vandro {

struct TLaunchTarget {
  bool Allowed = false;
  // What is opened: the address as typed, or the document's full path with
  // links resolved; when refused, the text as it was given.
  std::string Target;
  std::string Refusal; // why not, when refused
};

// The rule alone: no question, nothing opened.
TLaunchTarget CheckLaunchTarget(std::string_view text);

// Opens text for the template templateName through opener (the desktop's
// default application for it) when it is allowed and the user agrees; a
// refusal is shown with its reason. Empty text opens nothing. True when
// opener was called.
bool LaunchForTemplate(std::string_view templateName, std::string_view text,
                       const std::function<void(const std::string&)>& opener);

// Whether the user chose "Always for this project" for the open project.
bool LaunchAlwaysAllowed();

} // namespace vandro
