// Small workbooks for the spreadsheet tests, written here from scratch:
// an .xlsx is a zip of XML parts the test spells out; an .xls is a BIFF8
// workbook stream inside a compound file, with just the records a reader
// needs (a worksheet with numbers and shared strings, XF records for
// general and date formats).
#pragma once

#include <zip.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace vandro::testing {

// Writes a zip archive holding the parts (name -> content).
inline void WriteZip(const std::string& path, const std::map<std::string, std::string>& parts) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("zip_open failed");
  for (const auto& [name, content] : parts) {
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
      zip_source_free(source);
      zip_discard(archive);
      throw std::runtime_error("zip_file_add failed");
    }
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed");
}

// The parts of a workbook with one worksheet whose <sheetData> is rows, the
// shared strings given, and cell style 1 showing dates (dd.mm.yyyy hh:mm).
inline std::map<std::string, std::string> XlsxParts(const std::string& rows,
                                                    const std::vector<std::string>& shared) {
  std::string strings = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
  for (const auto& text : shared)
    strings += "<si><t>" + text + "</t></si>";
  strings += "</sst>";
  return {
      {"[Content_Types].xml",
       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
       "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
      {"xl/workbook.xml",
       "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
       "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId7\"/>"
       "<sheet name=\"Other\" sheetId=\"2\" r:id=\"rId8\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId8\" Target=\"worksheets/sheet1.xml\"/>"
       "<Relationship Id=\"rId7\" Target=\"worksheets/data.xml\"/></Relationships>"},
      {"xl/worksheets/data.xml",
       "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
       "<sheetData>" +
           rows + "</sheetData></worksheet>"},
      // Not the first worksheet, though its name says so.
      {"xl/worksheets/sheet1.xml",
       "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
       "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>wrong sheet</t></is></c></row>"
       "</sheetData></worksheet>"},
      {"xl/sharedStrings.xml", strings},
      {"xl/styles.xml",
       "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
       "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"dd\\.mm\\.yyyy hh:mm\"/>"
       "</numFmts><cellXfs count=\"3\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/>"
       "<xf numFmtId=\"2\"/></cellXfs></styleSheet>"},
  };
}

// --- .xls ------------------------------------------------------------------

struct TXlsCell {
  uint16_t row, column;
  std::variant<double, std::string> value; // strings are Latin-1 (8-bit) here
  uint16_t xf = 0;                         // 1: a date format
};

namespace xls {

inline void Put16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}
inline void Put32(std::string& out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<uint16_t>(value >> 16));
}
inline void Record(std::string& out, uint16_t type, const std::string& body) {
  Put16(out, type);
  Put16(out, static_cast<uint16_t>(body.size()));
  out += body;
}
inline std::string Bof(uint16_t kind) {
  std::string body;
  Put16(body, 0x0600); // BIFF8
  Put16(body, kind);   // 5 workbook globals, 0x10 worksheet
  Put16(body, 0x0DBB);
  Put16(body, 0x07CC);
  Put32(body, 0);
  Put32(body, 0x0006);
  return body;
}
// An XF record (20 bytes) using number format format.
inline std::string Xf(uint16_t format, bool style) {
  std::string body;
  Put16(body, 0);      // font
  Put16(body, format); // number format
  Put16(body, style ? 0xFFF5 : 0x0001);
  body.append(14, '\0');
  return body;
}

} // namespace xls

// The workbook stream of one worksheet "Data" holding the cells.
inline std::string BiffWorkbook(const std::vector<TXlsCell>& cells) {
  using namespace xls;
  std::vector<std::string> strings;
  for (const auto& cell : cells)
    if (const auto* text = std::get_if<std::string>(&cell.value)) strings.push_back(*text);

  std::string globals;
  Record(globals, 0x0809, Bof(0x0005));
  std::string codepage;
  Put16(codepage, 1252);
  Record(globals, 0x0042, codepage);
  std::string datemode;
  Put16(datemode, 0);
  Record(globals, 0x0022, datemode);
  // 15 style XFs and the default cell XF, then one date cell XF (format 22,
  // "m/d/yy h:mm"): cells name 15 (general) or 16 (date).
  for (int i = 0; i < 15; ++i)
    Record(globals, 0x00E0, Xf(0, true));
  Record(globals, 0x00E0, Xf(0, false));
  Record(globals, 0x00E0, Xf(22, false));
  const size_t boundSheetAt = globals.size();
  std::string sheetEntry;
  Put32(sheetEntry, 0); // set below
  sheetEntry += '\0';   // visible
  sheetEntry += '\0';   // worksheet
  sheetEntry += static_cast<char>(4);
  sheetEntry += '\0'; // 8-bit characters
  sheetEntry += "Data";
  Record(globals, 0x0085, sheetEntry);
  std::string sst;
  Put32(sst, static_cast<uint32_t>(strings.size()));
  Put32(sst, static_cast<uint32_t>(strings.size()));
  for (const auto& text : strings) {
    Put16(sst, static_cast<uint16_t>(text.size()));
    sst += '\0';
    sst += text;
  }
  Record(globals, 0x00FC, sst);
  Record(globals, 0x000A, "");

  std::string sheet;
  Record(sheet, 0x0809, Bof(0x0010));
  uint16_t rows = 0, columns = 0;
  for (const auto& cell : cells) {
    rows = std::max<uint16_t>(rows, cell.row + 1);
    columns = std::max<uint16_t>(columns, cell.column + 1);
  }
  std::string dimensions;
  Put32(dimensions, 0);
  Put32(dimensions, rows);
  Put16(dimensions, 0);
  Put16(dimensions, columns);
  Put16(dimensions, 0);
  Record(sheet, 0x0200, dimensions);
  uint32_t stringIndex = 0;
  for (const auto& cell : cells) {
    std::string body;
    Put16(body, cell.row);
    Put16(body, cell.column);
    Put16(body, static_cast<uint16_t>(cell.xf == 1 ? 16 : 15));
    if (const auto* number = std::get_if<double>(&cell.value)) {
      char bytes[8];
      std::memcpy(bytes, number, 8);
      body.append(bytes, 8);
      Record(sheet, 0x0203, body);
    } else {
      Put32(body, stringIndex++);
      Record(sheet, 0x00FD, body);
    }
  }
  Record(sheet, 0x000A, "");

  const uint32_t sheetAt = static_cast<uint32_t>(globals.size());
  for (int i = 0; i < 4; ++i)
    globals[boundSheetAt + 4 + static_cast<size_t>(i)] =
        static_cast<char>((sheetAt >> (8 * i)) & 0xFF);
  return globals + sheet;
}

// A compound file holding stream as "Workbook". Streams below 4096 bytes
// live in the mini stream: sector 0 is the FAT, 1 the directory, 2 the mini
// FAT, the mini stream's sectors follow.
inline std::string CompoundFile(const std::string& stream) {
  using namespace xls;
  constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
  if (stream.size() >= 4096) throw std::runtime_error("test workbooks stay small");
  const uint32_t miniSectors = static_cast<uint32_t>((stream.size() + 63) / 64);
  std::string mini = stream;
  mini.resize(miniSectors * 64, '\0');
  const uint32_t containerSectors = static_cast<uint32_t>((mini.size() + 511) / 512);
  mini.resize(containerSectors * 512, '\0');

  std::string header;
  header += std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  header.append(16, '\0');
  Put16(header, 0x003E);
  Put16(header, 0x0003);
  Put16(header, 0xFFFE);
  Put16(header, 9);
  Put16(header, 6);
  header.append(6, '\0');
  Put32(header, 0);    // directory sectors (version 3)
  Put32(header, 1);    // FAT sectors
  Put32(header, 1);    // first directory sector
  Put32(header, 0);    // transaction
  Put32(header, 4096); // mini stream cutoff
  Put32(header, 2);    // first mini FAT sector
  Put32(header, 1);    // mini FAT sectors
  Put32(header, kEnd); // first DIFAT sector
  Put32(header, 0);    // DIFAT sectors
  Put32(header, 0);    // the FAT is sector 0
  for (int i = 1; i < 109; ++i)
    Put32(header, kFree);

  std::string fat;
  Put32(fat, kFatSector);
  Put32(fat, kEnd);
  Put32(fat, kEnd);
  for (uint32_t i = 0; i < containerSectors; ++i)
    Put32(fat, i + 1 == containerSectors ? kEnd : 3 + i + 1);
  while (fat.size() < 512)
    Put32(fat, kFree);

  const auto entry = [&](const std::u16string& name, uint8_t type, uint32_t child, uint32_t start,
                         uint32_t size) {
    std::string out;
    for (const char16_t c : name)
      Put16(out, static_cast<uint16_t>(c));
    out.resize(64, '\0');
    Put16(out, static_cast<uint16_t>(name.empty() ? 0 : (name.size() + 1) * 2));
    out += static_cast<char>(type);
    out += static_cast<char>(1); // black
    Put32(out, kFree);
    Put32(out, kFree);
    Put32(out, child);
    out.append(16 + 4 + 8 + 8, '\0');
    Put32(out, start);
    Put32(out, size);
    Put32(out, 0);
    return out;
  };
  std::string directory = entry(u"Root Entry", 5, 1, 3, miniSectors * 64) +
                          entry(u"Workbook", 2, kFree, 0, static_cast<uint32_t>(stream.size())) +
                          entry(u"", 0, kFree, kEnd, 0) + entry(u"", 0, kFree, kEnd, 0);

  std::string miniFat;
  for (uint32_t i = 0; i < miniSectors; ++i)
    Put32(miniFat, i + 1 == miniSectors ? kEnd : i + 1);
  while (miniFat.size() < 512)
    Put32(miniFat, kFree);

  header.resize(512, '\0');
  return header + fat + directory + miniFat + mini;
}

} // namespace vandro::testing
