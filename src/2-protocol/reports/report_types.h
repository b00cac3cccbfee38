// The report table: every report type the program parses, declared once by its family (timing.cpp,
// position.cpp, ...) as one row: its key (packet id and sub-code), the payload length it is
// accepted at, its short name, and its parser. A parser is pure and checks the exact length:
//
//   std::optional<TimingSupplemental> ParseTimingSupplemental(std::span<const uint8_t> payload);
//
// The payload is what follows the packet id; for 0x8F and 0x5F reports byte 0 is the sub-code. The
// decoders' display steps, the decode tool, the counts and any later analysis work from the same
// structs, and a packet is matched to its row by one constant-time lookup (FindReport).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "text/json.h"

namespace zelkon {

inline constexpr int kNoSubCode = -1;

// True for the ids whose first payload byte is a sub-code naming the report (0x8F, 0x5F).
constexpr bool HasSubCode(uint8_t id) { return id == 0x8F || id == 0x5F; }

// What names a report on the wire: its packet id and, for 0x8F and 0x5F packets, its sub-code.
struct ReportKey {
  uint8_t id = 0;
  int subCode = kNoSubCode;

  // The key a packet carries: its id, and its sub-code where the id has one and the packet is
  // long enough to carry it.
  static constexpr ReportKey Of(uint8_t id, std::span<const uint8_t> payload) {
    return {id, HasSubCode(id) && !payload.empty() ? payload[0] : kNoSubCode};
  }
  auto operator<=>(const ReportKey&) const = default;
};

// Which struct a report parses into: one value per struct, shared by the rows of one struct (the
// fatal error and the fatal exception both parse into FatalReport).
class ParsedInto {
 public:
  template <typename Report>
  static constexpr ParsedInto Struct() {
    return ParsedInto(&kTag<Report>);
  }
  constexpr bool operator==(const ParsedInto&) const = default;

 private:
  template <typename>
  static constexpr char kTag = 0;
  constexpr explicit ParsedInto(const char* tag) : tag_(tag) {}
  const char* tag_;
};

// The lengths a report is accepted at.
enum class Lengths : uint8_t {
  Exactly,  // `length` bytes
  AtLeast,  // `length` bytes or more: a list or a text of variable length follows
  Any,      // any length: a report taken and left unread
};

// One kind of report: how a packet of it is recognised, and its fields written as JSON.
struct ReportType {
  ReportKey key;
  int length;
  Lengths lengths;
  const char* name;  // the short name: "timingSupplemental"
  ParsedInto parsedInto;
  // Parses the payload and adds its fields to `out`; false when the payload does not parse.
  // nullptr for a report the program takes without reading.
  bool (*addFields)(std::span<const uint8_t> payload, JsonObject& out);

  constexpr bool Accepts(int payloadLength) const {
    switch (lengths) {
      case Lengths::Exactly:
        return payloadLength == length;
      case Lengths::AtLeast:
        return payloadLength >= length;
      case Lengths::Any:
        break;
    }
    return true;
  }
};

// The struct a parser fills.
template <auto Parse>
using ParsedBy = typename decltype(Parse(std::span<const uint8_t>{}))::value_type;

// Turns a parser and the JSON writer of its struct into ReportType::addFields, with
// `void AddJson(const TimingSupplemental&, JsonObject&)` found by argument lookup.
template <auto Parse>
bool AddFields(std::span<const uint8_t> payload, JsonObject& out) {
  const auto report = Parse(payload);
  if (!report) return false;
  AddJson(*report, out);
  return true;
}

// A row of the table: {0x8F, 0xAC} at 68 bytes, "timingSupplemental", ParseTimingSupplemental.
template <auto Parse>
constexpr ReportType Row(ReportKey key, int length, const char* name,
                         Lengths lengths = Lengths::Exactly) {
  return {key, length, lengths, name, ParsedInto::Struct<ParsedBy<Parse>>(), &AddFields<Parse>};
}

// A row for a report the program accepts at any length and does not read; `Tag` is the empty
// struct that names it to the routes.
template <typename Tag>
constexpr ReportType UnreadRow(ReportKey key, const char* name) {
  return {key, 0, Lengths::Any, name, ParsedInto::Struct<Tag>(), nullptr};
}

// The rows of each family, each declared next to its parsers.
std::span<const ReportType> TimingReportTypes();
std::span<const ReportType> PositionReportTypes();
std::span<const ReportType> StatusReportTypes();
std::span<const ReportType> ProductReportTypes();
std::span<const ReportType> ConfigReportTypes();
std::span<const ReportType> DiagnosticReportTypes();
std::span<const ReportType> SystemDataReportTypes();

// Every row of the table, the families one after the other.
std::span<const ReportType* const> AllReportTypes();

// What became of a packet the framing delivered.
enum class PacketOutcome {
  Decoded,    // a report the monitor knows, at a length it accepts
  BadLength,  // a known report at a length it is not accepted at
  UnknownId,  // an id (or 0x8F/0x5F sub-code) the monitor has no decoder for
};

// A packet matched to the table.
struct ReportMatch {
  // The row of the packet's report; for a packet of a wrong length the first row of its key (the
  // report it claims to be); nullptr for an unknown key.
  const ReportType* type = nullptr;
  size_t row = 0;  // the place of `type` in AllReportTypes()
  PacketOutcome outcome = PacketOutcome::UnknownId;
};

// The row of a packet by its id, sub-code and length, in constant time.
ReportMatch FindReport(uint8_t id, std::span<const uint8_t> payload);

// The key of the report that parses into `Report` (its first row's).
template <typename Report>
ReportKey KeyOf() {
  static const ReportKey key = [] {
    for (const ReportType* type : AllReportTypes()) {
      if (type->parsedInto == ParsedInto::Struct<Report>()) return type->key;
    }
    return ReportKey{};
  }();
  return key;
}

// One packet as a JSON object: "id", "subcode" (for 0x8F and 0x5F packets that carry one),
// "length", then for a packet that parses "report" (the short name), "parsed": true and the fields
// by name; for any other packet "parsed": false and "payload", the payload bytes in hex.
std::string ReportJson(uint8_t id, std::span<const uint8_t> payload);

}  // namespace zelkon
