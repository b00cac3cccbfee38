#include "sim/config.h"

namespace zelkon::sim {

Configuration FactoryConfiguration(const SimOptions& options) {
  Configuration config;
  config.survey.limit = options.surveySeconds;
  return config;
}

bool RevertSegment(Configuration& config, const Configuration& factory, int segment) {
  switch (segment) {
    case kSegmentReceiver:
      config.receiver = factory.receiver;
      return true;
    case kSegmentPacketIo:
      config.io = factory.io;
      return true;
    case kSegmentSerialPorts:
      config.ports = factory.ports;
      return true;
    case kSegmentTiming:
      config.timing = factory.timing;
      return true;
    case kSegmentPosition:
      config.position = factory.position;
      return true;
    case kSegmentSurvey:
      config.survey = factory.survey;
      return true;
    case kSegmentNmea:
      config.nmea = factory.nmea;
      return true;
    case kSegmentUtc:
      config.utc = factory.utc;
      return true;
    case kAllSegments:
      config = factory;
      return true;
    default:
      return false;
  }
}

}  // namespace zelkon::sim
