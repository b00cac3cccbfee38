#include "sim/receiver.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/gps_time.h"

namespace zelkon::sim {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kEarthRadius = 6378137.0;

// Where the emulated antenna stands.
constexpr Fix kAntenna{48.137154 * kDegree, 11.575490 * kDegree, 519.27};

uint16_t PremiumOptionsOf(Model model) {
  switch (model) {
    case Model::Netrel:
      return 8;
    case Model::Harvane:
      return 64;
    case Model::Tpv2:
      return 2;
    case Model::T2K:
    case Model::Varnel:
      return 0;
    case Model::Id98:
      return 8;
  }
  return 0;
}

}  // namespace

Receiver::Receiver(const SimOptions& opts, double startGps)
    : premiumOptions(PremiumOptionsOf(opts.model)),
      options(opts),
      factory(FactoryConfiguration(opts)),
      config(factory),
      saved(factory),
      sky(opts.seed),
      noise_(opts.seed * 0x9E3779B1ULL + 17),
      trueGps_(startGps),
      stepped_(std::floor(startGps)),
      restartedAt_(startGps),
      truePosition_(kAntenna),
      segmentStatus_(opts.corruptSegments),
      almanacDueAt_(startGps + opts.almanacSeconds) {
  if (opts.leapIn >= 0) leapAt_ = std::floor(startGps + opts.leapIn);
  ppsOffsetNs_ = static_cast<float>(2.0 * noise_.Normal());
  oscillatorPpb_ = static_cast<float>(0.02 * noise_.Normal());
  RestartSurvey();
}

void Receiver::AdvanceTo(double gps) {
  if (gps <= trueGps_) return;
  // A jump of more than a day is taken in one step: the receiver re-acquires.
  if (gps - stepped_ > kSecondsPerDay) {
    trueGps_ = gps;
    stepped_ = std::floor(gps);
    restartedAt_ = gps;
    sky.LoseTracking();
    return;
  }
  trueGps_ = gps;
  while (stepped_ + 1 <= trueGps_) {
    stepped_ += 1;
    Step(stepped_);
  }
}

void Receiver::Step(double t) {
  if (Acquired()) {
    clockValid_ = true;
    if (UtcReceived()) utcKnown_ = true;
    userOffset_.reset();
    sky.Update(t, config.receiver.elevationMask / kDegree, noise_);
  }
  // The local clock wanders by a few nanoseconds, the oscillator by a few hundredths of a ppb.
  ppsOffsetNs_ = static_cast<float>(0.97 * ppsOffsetNs_ + 0.6 * noise_.Normal());
  oscillatorPpb_ = static_cast<float>(0.99 * oscillatorPpb_ + 0.004 * noise_.Normal());
  quantizationNs_ = static_cast<float>(noise_.Uniform(-5.0, 5.0));
  UpdateFix(t);
}

void Receiver::UpdateFix(double /*t*/) {
  if (!Acquired() || UsableCount() < 4) return;
  const double north = 2.5 * noise_.Normal();
  const double east = 2.5 * noise_.Normal();
  fix_.latitude = truePosition_.latitude + north / kEarthRadius;
  fix_.longitude =
      truePosition_.longitude + east / (kEarthRadius * std::cos(truePosition_.latitude));
  fix_.altitude = truePosition_.altitude + 4.0 * noise_.Normal();
  if (!surveyRunning_) return;
  ++surveyFixes_;
  surveySum_.latitude += fix_.latitude;
  surveySum_.longitude += fix_.longitude;
  surveySum_.altitude += fix_.altitude;
  if (surveyFixes_ < std::max<uint32_t>(1, config.survey.limit)) return;
  surveyRunning_ = false;
  held_ = true;
  const double n = static_cast<double>(surveyFixes_);
  heldPosition_ = {surveySum_.latitude / n, surveySum_.longitude / n, surveySum_.altitude / n};
  if (config.survey.save != 0) {
    config.position = {true, heldPosition_.latitude, heldPosition_.longitude,
                       heldPosition_.altitude};
    saved.position = config.position;
  }
}

// ---- Time ----

bool Receiver::Acquired() const { return trueGps_ - restartedAt_ >= options.acquireSeconds; }

bool Receiver::UtcReceived() const {
  return trueGps_ - restartedAt_ >= options.acquireSeconds + options.utcSeconds;
}

bool Receiver::UtcKnown() const {
  return options.utcSeconds == 0 || testUtc_.has_value() || utcKnown_ || UtcReceived();
}

bool Receiver::HasTime() const {
  return clockValid_ || Acquired() || userOffset_.has_value() || testTime_.has_value();
}

double Receiver::ReportedGps() const {
  if (testTime_) return testTime_->first + (trueGps_ - testTime_->second);
  if (!Acquired() && !clockValid_ && userOffset_) return trueGps_ + *userOffset_;
  return trueGps_;
}

std::optional<double> Receiver::LeapAt() const {
  if (testUtc_) {
    if (testUtc_->deltaTlsf == testUtc_->deltaTls) return std::nullopt;
    return static_cast<double>(testUtc_->wnLsf) * kSecondsPerWeek +
           static_cast<double>(testUtc_->dn) * kSecondsPerDay + testUtc_->deltaTls;
  }
  return leapAt_;
}

int Receiver::UtcOffset() const {
  if (!UtcKnown()) return 0;
  const int before = testUtc_ ? testUtc_->deltaTls : kUtcOffset;
  const auto leap = LeapAt();
  if (leap && ReportedGps() >= *leap + 1) return testUtc_ ? testUtc_->deltaTlsf : before + 1;
  return before;
}

uint8_t Receiver::LeapFlags() const {
  if (!UtcKnown()) return 0;  // nothing is known of UTC, leap seconds included
  uint8_t flags = HasTime() && Acquired() ? kUtcAvailable : 0;
  const auto leap = LeapAt();
  if (!leap) return flags;
  const double t = ReportedGps();
  if (t < *leap + 1) flags |= kLeapScheduled;
  if (t < *leap + 1 && *leap - t < kSecondsPerDay) flags |= kLeapPending;
  if (std::fabs(t - *leap) < 6 * 3600) flags |= kLeapWarning;
  if (t >= *leap && t < *leap + 1) flags |= kLeapInProgress;
  return flags;
}

UtcSegment Receiver::UtcParameters() const {
  if (testUtc_) return *testUtc_;
  if (!UtcKnown()) return {0, 0, 0, 0, 0, 0, 0, 0};
  UtcSegment utc = config.utc;
  const double t = ReportedGps();
  const auto week = static_cast<uint16_t>(t / kSecondsPerWeek);
  utc.wnT = week;
  utc.deltaTls = static_cast<int16_t>(UtcOffset());
  utc.deltaTlsf = utc.deltaTls;
  utc.wnLsf = week;
  const auto leap = LeapAt();
  if (leap && t < *leap + 1) {
    utc.deltaTlsf = static_cast<int16_t>(utc.deltaTls + 1);
    utc.wnLsf = static_cast<uint16_t>(*leap / kSecondsPerWeek);
    utc.dn = static_cast<uint16_t>(std::fmod(*leap, kSecondsPerWeek) / kSecondsPerDay + 1);
  }
  return utc;
}

bool Receiver::OfferTime(double gps) {
  if (HasTime()) return false;
  userOffset_ = gps - trueGps_;
  return true;
}

void Receiver::EnterUserTime(int week, uint32_t timeOfWeek) {
  testMode_ = true;
  testTime_ = {static_cast<double>(week) * kSecondsPerWeek + timeOfWeek, trueGps_};
}

void Receiver::EnterUtcTest(const UtcSegment& utc) {
  testMode_ = true;
  testUtc_ = utc;
}

void Receiver::ExitTestMode() {
  testMode_ = false;
  testTime_.reset();
  testUtc_.reset();
}

// ---- Tracking, fix and survey ----

int Receiver::UsableCount() const {
  if (!Acquired()) return 0;
  const auto selection = sky.Selection(trueGps_);
  return static_cast<int>(
      std::count_if(selection.begin(), selection.end(), [](int prn) { return prn > 0; }));
}

bool Receiver::Surveying() const { return surveyRunning_; }

int Receiver::SurveyProgress() const {
  if (held_ || config.survey.limit == 0) return held_ ? 100 : 0;
  return static_cast<int>(
      std::min<uint64_t>(99, uint64_t{surveyFixes_} * 100 / config.survey.limit));
}

void Receiver::RestartSurvey() {
  held_ = false;
  surveyFixes_ = 0;
  surveySum_ = {};
  surveyRunning_ = config.survey.enable != 0;
}

void Receiver::SetAccuratePosition(const Fix& position) {
  held_ = true;
  heldPosition_ = position;
  surveyRunning_ = false;
  config.position = {true, position.latitude, position.longitude, position.altitude};
}

uint8_t Receiver::ModeCode() const {
  if (held_) return 7;  // overdetermined clock
  const uint8_t configured = config.receiver.mode;
  if (configured == 0 || configured == 7 || configured == 2) return UsableCount() >= 4 ? 4 : 3;
  return configured;
}

uint8_t Receiver::StatusCode() const {
  if (!HasTime()) return 1;  // don't have GPS time
  const int usable = UsableCount();
  if (usable == 0) return 8;
  if (!held_ && usable < 4) return static_cast<uint8_t>(8 + usable);  // only 1, 2, 3 usable
  return 0;                                                           // doing fixes
}

uint16_t Receiver::MinorAlarms() const {
  uint16_t alarms = 0;
  if (UsableCount() == 0) alarms |= 1u << 3;
  if (Surveying()) alarms |= 1u << 5;
  if (!held_) alarms |= 1u << 6;
  if (LeapFlags() & kLeapPending) alarms |= 1u << 7;
  if (testMode_) alarms |= 1u << 8;
  if (segmentStatus_ != 0) alarms |= 1u << 10;
  if (!AlmanacComplete()) alarms |= 1u << 11;
  return alarms;
}

bool Receiver::PpsGenerated() const {
  if (config.timing.ppsSwitch == 0 || !Acquired()) return false;
  const uint8_t option = config.timing.ppsOption;
  if ((option & 0x80) && static_cast<int64_t>(std::floor(ReportedGps())) % 2 != 0) return false;
  switch (option & 0x7F) {
    case 3:
      return sky.TrackedCount() >= 1;
    case 4:
      return sky.TrackedCount() >= 3;
    default:
      return true;
  }
}

// ---- Events ----

void Receiver::CountEvent(double gps) {
  eventCount_ = static_cast<uint16_t>(eventCount_ + 1);
  if (eventCount_ == 0) eventCount_ = 1;  // 0 means "no event" in the reports
  pendingEvent_ = gps;
}

std::optional<double> Receiver::TakeEvent() {
  auto event = pendingEvent_;
  pendingEvent_.reset();
  return event;
}

// ---- Resets and segments ----

void Receiver::Restart(bool forgetNavigation, bool forgetTime) {
  restartedAt_ = trueGps_;
  ExitTestMode();  // a restart leaves the test modes
  sky.LoseTracking();
  if (forgetTime) {
    clockValid_ = false;
    utcKnown_ = false;
    userOffset_.reset();
  }
  config = saved;
  if (forgetNavigation) {
    loaded_.clear();
    almanacDueAt_ = trueGps_ + options.almanacSeconds;
    held_ = false;
    fix_ = {};
  }
  if (config.position.stored) {
    SetAccuratePosition(
        {config.position.latitude, config.position.longitude, config.position.altitude});
  } else if (!held_ || surveyRunning_) {
    RestartSurvey();
  }
}

void Receiver::Reset(ResetKind kind) {
  switch (kind) {
    case ResetKind::Warm:
      Restart(false, false);
      break;
    case ResetKind::Cold:
    case ResetKind::FactoryNavigation:
      Restart(true, true);
      break;
    case ResetKind::FactoryAll:
      SavedToFactory();
      Restart(true, true);
      break;
    case ResetKind::FactoryConfig:
      SavedToFactory();
      Restart(false, false);
      break;
  }
}

void Receiver::SavedToFactory() {
  const Configuration kept = saved;
  saved = factory;
  for (int segment = 0; segment < 16; ++segment) {
    // The segments asked to survive take their saved settings back.
    if ((options.keepSegments >> segment) & 1) zelkon::sim::RevertSegment(saved, kept, segment);
  }
  segmentStatus_ = 0;
}

void Receiver::SaveSegments() {
  saved = config;
  segmentStatus_ = 0;
}

void Receiver::RevertSegment(int segment) {
  if (zelkon::sim::RevertSegment(config, factory, segment)) SaveSegments();
}

// ---- System data ----

bool Receiver::AlmanacComplete() const {
  if (trueGps_ >= almanacDueAt_) return true;
  if (!loaded_.contains({3, 0})) return false;
  for (int prn = 1; prn <= kPrnCount; ++prn) {
    if (sky.Active(prn) && !loaded_.contains({2, prn})) return false;
  }
  return true;
}

bool Receiver::LoadSystemData(int type, int sv, const std::vector<uint8_t>& data) {
  if (type < 1 || type > 5) return false;
  if (type <= 2 && (sv < 1 || sv > kPrnCount)) return false;
  loaded_[{type, type <= 2 ? sv : 0}] = data;
  return true;
}

const std::vector<uint8_t>* Receiver::LoadedSystemData(int type, int sv) const {
  const auto it = loaded_.find({type, type <= 2 ? sv : 0});
  return it == loaded_.end() ? nullptr : &it->second;
}

}  // namespace zelkon::sim
