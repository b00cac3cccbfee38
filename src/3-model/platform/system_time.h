// The PC's system clock, read and set in UTC.
#pragma once

namespace zelkon {

struct UtcTime {
  int year = 1980;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;

  bool operator==(const UtcTime&) const = default;
};

class SystemTime {
 public:
  virtual ~SystemTime() = default;
  virtual UtcTime NowUtc() = 0;
  // False when the platform refuses (no privilege to set the clock, or a bad value).
  virtual bool SetUtc(const UtcTime& time) = 0;
};

// The POSIX real-time clock; setting it needs the CAP_SYS_TIME capability.
class PosixSystemTime final : public SystemTime {
 public:
  UtcTime NowUtc() override;
  bool SetUtc(const UtcTime& time) override;
};

}  // namespace zelkon
