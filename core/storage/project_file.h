// The project file: one binary record of exactly 688 bytes, little-endian.
//
//   offset size field
//        0    4 object counter (last object identifier handed out)
//        4    4 identifier counter (last general identifier handed out)
//        8   33 name            } fixed-capacity strings: a length byte,
//       41  129 location        } then the capacity in characters (code
//      170  255 description     } page 1251); the bytes after the text are
//      425   33 version         } written as zeros and ignored on reading
//      458   33 author          }
//      491   33 organization    }
//      524    4 (padding)
//      528    8 start date            } doubles: days since 30.12.1899
//      536    8 last opened           }
//      544    8 earliest record time  }
//      552  129 comments (capacity 128)
//      681    7 (padding)
//
// The file is replaced whole (temporary file, then rename), so a crash leaves
// either the old record or the new one, never a mixture.
#pragma once

#include "model/project.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandro {

inline constexpr size_t kProjectFileSize = 688;

struct TProjectFileContent {
  int32_t ObjectCounter = 32;
  int32_t IdCounter = 1;
  TProjectInfo Info;
};

// The 688 bytes of content; texts longer than their capacities are cut.
std::string EncodeProjectFile(const TProjectFileContent& content);

// Reads a record. False, with the reason, when bytes is not 688 long. A
// damaged field is read as far as it makes sense: a length byte beyond the
// capacity is cut to the capacity, a date that is not a finite number is 0.
bool DecodeProjectFile(std::string_view bytes, TProjectFileContent& content,
                       std::string* reason = nullptr);

bool ReadProjectFile(const std::string& path, TProjectFileContent& content,
                     std::string* reason = nullptr);

// Writes the record to a temporary file beside path, flushes it to the disk
// and renames it over path.
bool WriteProjectFileAtomically(const std::string& path, const TProjectFileContent& content,
                                std::string* reason = nullptr);

} // namespace vandro
