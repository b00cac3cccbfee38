#include "reports/report_types.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zelkon {
namespace {

constexpr std::array<std::span<const ReportType> (*)(), 7> kFamilies = {
    TimingReportTypes, PositionReportTypes,   StatusReportTypes,    ProductReportTypes,
    ConfigReportTypes, DiagnosticReportTypes, SystemDataReportTypes};

// The rows by key: one slot for each plain id and one for each sub-code of 0x8F and of 0x5F, each
// holding the rows of that key (two at most: 0x4A and 0x45 come in two lengths).
class ReportIndex {
 public:
  ReportIndex() {
    for (const auto family : kFamilies) {
      for (const ReportType& type : family()) {
        Slot& slot = slots_[SlotOf(type.key)];
        if (slot.count == slot.rows.size()) {
          // A fault of the table that every run finds at its first packet.
          std::fprintf(stderr, "zelkon: too many report rows share the key of %s\n", type.name);
          std::abort();
        }
        slot.rows[slot.count++] = rows_.size();
        rows_.push_back(&type);
      }
    }
  }

  std::span<const ReportType* const> Rows() const { return rows_; }

  ReportMatch Find(uint8_t id, std::span<const uint8_t> payload) const {
    // A superpacket or error report too short to carry its sub-code names no report.
    if (HasSubCode(id) && payload.empty()) return {};
    const Slot& slot = slots_[SlotOf(ReportKey::Of(id, payload))];
    if (slot.count == 0) return {};
    const int length = static_cast<int>(payload.size());
    for (size_t i = 0; i < slot.count; ++i) {
      const size_t row = slot.rows[i];
      if (rows_[row]->Accepts(length)) return {rows_[row], row, PacketOutcome::Decoded};
    }
    return {rows_[slot.rows[0]], slot.rows[0], PacketOutcome::BadLength};
  }

 private:
  struct Slot {
    std::array<size_t, 3> rows{};  // places in rows_
    size_t count = 0;
  };

  static size_t SlotOf(ReportKey key) {
    if (key.subCode == kNoSubCode) return key.id;
    return (key.id == 0x8F ? 256 : 512) + static_cast<size_t>(key.subCode);
  }

  std::vector<const ReportType*> rows_;
  std::array<Slot, 3 * 256> slots_{};
};

const ReportIndex& Index() {
  static const ReportIndex index;
  return index;
}

std::string Hex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

}  // namespace

std::span<const ReportType* const> AllReportTypes() { return Index().Rows(); }

ReportMatch FindReport(uint8_t id, std::span<const uint8_t> payload) {
  return Index().Find(id, payload);
}

std::string ReportJson(uint8_t id, std::span<const uint8_t> payload) {
  JsonObject object;
  object.Add("id", id);
  if (HasSubCode(id) && !payload.empty()) object.Add("subcode", payload[0]);
  object.Add("length", static_cast<int>(payload.size()));
  const ReportMatch match = FindReport(id, payload);
  if (match.outcome == PacketOutcome::Decoded && match.type->addFields != nullptr) {
    JsonObject fields;
    if (match.type->addFields(payload, fields)) {
      return object.Add("report", match.type->name).Add("parsed", true).Append(fields).Text();
    }
  }
  return object.Add("parsed", false).Add("payload", Hex(payload)).Text();
}

}  // namespace zelkon
