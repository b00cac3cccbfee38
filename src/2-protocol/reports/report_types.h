// The typed reports: one value struct per report (each 0x8F sub-code and each length variant its
// own), filled by a pure parser that checks the exact payload length and reads named offsets:
//
//   std::optional<TimingSupplemental> ParseTimingSupplemental(const uint8_t* payload, int length);
//
// The payload is what follows the packet id; for 0x8F and 0x5F reports byte 0 is the sub-code. The
// decoders' display steps, the decode tool and any later analysis work from the same structs. This
// header lists every report type the program can parse, with its short name and its fields as JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "text/json.h"

namespace zelkon {

inline constexpr int kNoSubCode = -1;

// One kind of report: how a packet of it is recognised, and its fields written as JSON.
struct ReportType {
  uint8_t id;
  int subCode;       // payload byte 0 for 0x8F and 0x5F reports; kNoSubCode for the others
  int length;        // the payload length the report is accepted at
  bool orLonger;     // `length` is the least: a list of variable length follows (0x6D)
  const char* name;  // the short name: "timingSupplemental"
  // Parses the payload and adds its fields to `out`; false when the payload does not parse.
  bool (*addFields)(const uint8_t* payload, int length, JsonObject& out);
};

// The report types of each family.
std::span<const ReportType> TimingReportTypes();
std::span<const ReportType> PositionReportTypes();
std::span<const ReportType> StatusReportTypes();
std::span<const ReportType> ProductReportTypes();
std::span<const ReportType> ConfigReportTypes();
std::span<const ReportType> DiagnosticReportTypes();
std::span<const ReportType> SystemDataReportTypes();

// True for the ids whose first payload byte is a sub-code naming the report (0x8F, 0x5F).
bool HasSubCode(uint8_t id);

// The type of a packet by its id, sub-code and length; nullptr for a packet the program has no
// parser for, or one of a length its report is not accepted at.
const ReportType* FindReportType(uint8_t id, const uint8_t* payload, int length);
// True for a packet of a report the program parses, at a length that report is not accepted at.
bool IsWrongLength(uint8_t id, const uint8_t* payload, int length);

// One packet as a JSON object: "id", "subcode" (for 0x8F and 0x5F packets that carry one),
// "length", then for a packet that parses "report" (the short name), "parsed": true and the fields
// by name; for any other packet "parsed": false and "payload", the payload bytes in hex.
std::string ReportJson(uint8_t id, const uint8_t* payload, int length);

// Turns a parser and the JSON writer of its struct into ReportType::addFields:
//   {0x8F, 0xAC, 68, false, "timingSupplemental", &AddFields<ParseTimingSupplemental>}
// with `void AddJson(const TimingSupplemental&, JsonObject&)` found by argument lookup.
template <auto Parse>
bool AddFields(const uint8_t* payload, int length, JsonObject& out) {
  const auto report = Parse(payload, length);
  if (!report) return false;
  AddJson(*report, out);
  return true;
}

}  // namespace zelkon
