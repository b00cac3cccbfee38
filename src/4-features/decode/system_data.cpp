// Diagnostic and almanac reports. The almanac, health, UTC and fatal reports are decoded once the
// windows they fill exist; until then they light the Rx LED, are recorded when recording is on,
// and are otherwise left undecoded.
#include "decode/system_data.h"
#include "base/application.h"
#include "config/segments.h"
#include "config/segments_form.h"
#include "decode/decode_with.h"
#include "decode/decoders.h"

namespace zelkon {

void ShowSegmentStatus(Application& app, const SegmentStatus& r) {
  WriteSegmentStatus(app.Window<TForm_EEPROM>(), r.status);
}

void DecodeSegmentStatus(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParseSegmentStatus, ShowSegmentStatus>(app, payload, length);
}

void DecodeAlmanac(Application&, const uint8_t*, int) {}
void DecodeAlmanacHealth(Application&, const uint8_t*, int) {}
void DecodeUtcParams(Application&, const uint8_t*, int) {}
void DecodeFatalReport(Application&, const uint8_t*, int) {}

}  // namespace zelkon
