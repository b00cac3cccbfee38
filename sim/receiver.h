// The emulated timing receiver's state and behaviour, free of bytes: time, tracking, self-survey,
// clock offsets, events, resets, configuration segments and stored system data. It moves in whole
// simulated seconds; everything random comes from the seed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "sim/config.h"
#include "sim/random.h"
#include "sim/sim_options.h"
#include "sim/sky.h"

namespace zelkon::sim {

struct Fix {
  double latitude = 0;   // radians
  double longitude = 0;  // radians
  double altitude = 0;   // metres
};

enum class ResetKind { Warm, Cold, FactoryAll, FactoryNavigation, FactoryConfig };

// Leap-second and UTC flags of the primary UTC time report.
enum LeapFlag : uint8_t {
  kUtcAvailable = 0x01,
  kLeapScheduled = 0x10,
  kLeapPending = 0x20,
  kLeapWarning = 0x40,
  kLeapInProgress = 0x80,
};

class Receiver {
 public:
  Receiver(const SimOptions& options, double startGps);

  // Moves the simulated GPS time forward; each whole second passed is one step of the receiver.
  void AdvanceTo(double gps);
  double TrueGps() const { return trueGps_; }

  // ---- Time ----
  // Whether the receiver knows the time (from satellites, its clock, or an uploaded time).
  bool HasTime() const;
  // The time the receiver reports: GPS time, or the time of the user time test mode.
  double ReportedGps() const;
  // Whether the receiver has the UTC parameters (from the sky, or those of the UTC test mode).
  bool UtcKnown() const;
  // GPS minus UTC now (0 while the UTC parameters are not known), and the flags of a leap second.
  int UtcOffset() const;
  uint8_t LeapFlags() const;
  // The UTC parameters the receiver holds (or those of the UTC test mode).
  UtcSegment UtcParameters() const;
  // An initial time from the PC: taken when the receiver has none. Returns whether taken.
  bool OfferTime(double gps);
  // Test modes: a user time, and given UTC parameters; Exit ends both.
  void EnterUserTime(int week, uint32_t timeOfWeek);
  void EnterUtcTest(const UtcSegment& utc);
  void ExitTestMode();
  bool TestMode() const { return testMode_; }

  // ---- Tracking, fix and self-survey ----
  bool Acquired() const;
  // Satellites with ephemeris, usable for a fix.
  int UsableCount() const;
  bool Surveying() const;
  int SurveyProgress() const;  // percent
  bool PositionHeld() const { return held_; }
  // The position reported: the held one, else the latest fix.
  Fix Position() const { return held_ ? heldPosition_ : fix_; }
  void RestartSurvey();
  // An accurate position given by the operator: held from now on.
  void SetAccuratePosition(const Fix& position);
  // Receiver mode (0 automatic .. 7 overdetermined clock) and status (0 doing fixes .. 16) of the
  // supplemental timing report, and its minor alarm bits.
  uint8_t ModeCode() const;
  uint8_t StatusCode() const;
  uint16_t MinorAlarms() const;

  // ---- Clock ----
  float PpsOffsetNs() const { return ppsOffsetNs_; }
  float OscillatorOffsetPpb() const { return oscillatorPpb_; }
  float QuantizationNs() const { return quantizationNs_; }
  bool PpsGenerated() const;

  // ---- Event input ----
  void CountEvent(double gps);
  uint16_t EventCount() const { return eventCount_; }
  // The latest event not reported yet, taken (its GPS time); nothing when there is none.
  std::optional<double> TakeEvent();

  // ---- Resets and segments ----
  void Reset(ResetKind kind);
  void SaveSegments();
  // Reverts a segment (255: all) to factory values and saves all segments.
  void RevertSegment(int segment);
  uint16_t SegmentStatus() const { return segmentStatus_; }

  // ---- System data (almanac, health, ionosphere, UTC) ----
  bool AlmanacComplete() const;
  // Stores a loaded block; false when the block is not one the receiver takes.
  bool LoadSystemData(int type, int sv, const std::vector<uint8_t>& data);
  // A block loaded earlier, if any.
  const std::vector<uint8_t>* LoadedSystemData(int type, int sv) const;

  // ---- Identity ----
  uint16_t premiumOptions = 0;

  const SimOptions& options;
  const Configuration factory;
  Configuration config;  // working copy
  Configuration saved;   // EEPROM
  Sky sky;

 private:
  void Step(double t);
  void Restart(bool forgetNavigation, bool forgetTime);
  // A factory reset of the saved configuration: every segment to its factory settings but those
  // kept by the options.
  void SavedToFactory();
  void UpdateFix(double t);
  // The UTC parameters have come since the last restart.
  bool UtcReceived() const;
  std::optional<double> LeapAt() const;

  Random noise_;
  double trueGps_;
  double stepped_;  // the last whole second stepped

  double restartedAt_;
  bool clockValid_ = false;  // real-time clock holds the time
  bool utcKnown_ = false;    // the UTC parameters came from the sky since the time was last lost
  std::optional<double> userOffset_;
  bool testMode_ = false;
  std::optional<std::pair<double, double>> testTime_;  // (time set, GPS time when set)
  std::optional<UtcSegment> testUtc_;
  std::optional<double> leapAt_;  // GPS time of a leap second given at start

  Fix truePosition_;
  Fix fix_;
  bool held_ = false;
  Fix heldPosition_;
  bool surveyRunning_ = false;
  uint32_t surveyFixes_ = 0;
  Fix surveySum_;

  float ppsOffsetNs_ = 0;
  float oscillatorPpb_ = 0;
  float quantizationNs_ = 0;

  uint16_t eventCount_ = 0;
  std::optional<double> pendingEvent_;

  uint16_t segmentStatus_;
  double almanacDueAt_;
  std::map<std::pair<int, int>, std::vector<uint8_t>> loaded_;
};

}  // namespace zelkon::sim
