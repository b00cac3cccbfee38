// Configuration read-back reports.
#include "sim/reports.h"

namespace zelkon::sim {
namespace {

// Shift to WGS-84 and ellipsoid (semi-major axis, first eccentricity squared) of a datum.
struct DatumParameters {
  double dx, dy, dz, a, e2;
};

DatumParameters ParametersOf(int index) {
  if (index == 0) return {0, 0, 0, 6378137.0, 0.00669437999014};  // WGS-84
  // The other datums are reported with the International 1924 ellipsoid and a shift that
  // depends on the index: plausible numbers, not a geodetic reference.
  return {-87.0 + index % 7, -98.0 + index % 11, -121.0 + index % 13, 6378388.0, 0.00672267};
}

}  // namespace

Packet IoOptionsReport(const Receiver& r) {
  const uint8_t* io = r.config.io.ioOptions;
  return PayloadWriter().U8(io[0]).U8(io[1]).U8(io[2]).U8(io[3]).Build(0x55);
}

Packet NmeaConfigReport(const Receiver& r) {
  return PayloadWriter().U8(0).U8(r.config.nmea.interval).U32(r.config.nmea.mask).Build(0x7B);
}

Packet ReceiverConfigReport(const Receiver& r) {
  const ReceiverSegment& rx = r.config.receiver;
  PayloadWriter p;
  p.U8(0)
      .U8(rx.mode)
      .U8(rx.dgpsMode)
      .U8(rx.dynamics)
      .U8(1)
      .Single(rx.elevationMask)
      .Single(rx.signalMask)
      .Single(rx.pdopMask)
      .Single(rx.pdopSwitch)
      .U8(rx.dgpsAgeLimit)
      .Zeros(5);
  for (int i = 0; i < 16; ++i)
    p.U8(0xFF);
  return p.Build(0xBB);
}

Packet PortConfigReport(const Receiver& r, int port) {
  const PortSettings& s = port == 0 ? r.config.ports.a : r.config.ports.b;
  return PayloadWriter()
      .U8(port == 0 ? 0 : 1)
      .U8(s.baudCode)
      .U8(s.baudCode)
      .U8(s.dataBitsCode)
      .U8(s.parityCode)
      .U8(s.stopBitsCode)
      .U8(0)  // no flow control
      .U8(s.inputProtocol)
      .U8(s.outputProtocol)
      .U8(0)
      .Build(0xBC);
}

Packet ReferenceAltitudeReport(const Receiver& r) {
  const ReceiverSegment& rx = r.config.receiver;
  return PayloadWriter()
      .Single(rx.referenceAltitude)
      .U32(0)
      .U8(rx.referenceAltitudeSet ? 1 : 0)
      .Build(0x4A);
}

Packet DatumReport(const Receiver& r) {
  const DatumParameters d = ParametersOf(r.config.io.datum);
  return PayloadWriter()
      .U8(0x15)
      .U16(r.config.io.datum)
      .Double(d.dx)
      .Double(d.dy)
      .Double(d.dz)
      .Double(d.a)
      .Double(d.e2)
      .Build(0x8F);
}

Packet PpsCharacteristicsReport(const Receiver& r) {
  const TimingSegment& timing = r.config.timing;
  return PayloadWriter()
      .U8(0x4A)
      .U8(timing.ppsSwitch)
      .U8(timing.timeBase)
      .U8(timing.polarity)
      .Double(timing.ppsOffset)
      .Single(timing.biasThreshold)
      .Build(0x8F);
}

Packet SurveyLimitReport(const Receiver& r) {
  return PayloadWriter().U8(0x4B).U32(r.config.survey.limit).Build(0x8F);
}

Packet AutoOutputMaskReport(const Receiver& r) {
  return PayloadWriter().U8(0x4D).U32(r.config.io.autoOutputMask).Build(0x8F);
}

Packet PpsOutputOptionReport(const Receiver& r) {
  return PayloadWriter().U8(0x4E).U8(r.config.timing.ppsOption).Build(0x8F);
}

Packet PpsWidthReport(const Receiver& r) {
  return PayloadWriter().U8(0x4F).Double(r.config.timing.ppsWidth).Build(0x8F);
}

Packet BroadcastMaskReport(const Receiver& r) {
  return PayloadWriter()
      .U8(0xA5)
      .U8(r.config.io.broadcastMask1)
      .U8(r.config.io.broadcastMask2)
      .U8(0)
      .U8(0)
      .Build(0x8F);
}

Packet SelfSurveyParamsReport(const Receiver& r) {
  const SurveySegment& survey = r.config.survey;
  return PayloadWriter()
      .U8(0xA9)
      .U8(survey.enable)
      .U8(survey.save)
      .U32(survey.limit)
      .U32(0)
      .Build(0x8F);
}

Packet SegmentStatusReport(const Receiver& r) {
  return PayloadWriter().U8(0x11).U16(r.SegmentStatus()).Build(0x5F);
}

}  // namespace zelkon::sim
