#include "routes/report_routes.h"

#include "config/altitude_form.h"
#include "config/auto_out_form.h"
#include "config/auto_output.h"
#include "config/datum_form.h"
#include "config/gps_form.h"
#include "config/gps_settings.h"
#include "config/navigation_params.h"
#include "config/nmea_form.h"
#include "config/nmea_output.h"
#include "config/packet_masks.h"
#include "config/packet_masks_form.h"
#include "config/self_survey.h"
#include "config/self_survey_form.h"
#include "config/serial_form.h"
#include "config/serial_ports.h"
#include "config/timing_out_form.h"
#include "config/timing_outputs.h"
#include "config/varnel_port_a_out_form.h"
#include "decode/diagnostic.h"
#include "decode/position.h"
#include "decode/product.h"
#include "decode/status.h"
#include "decode/timing.h"
#include "transfer/initial_time_form.h"
#include "transfer/time_transfer.h"
#include "views/add_timing_form.h"
#include "views/alm_health_form.h"
#include "views/almanac_data_form.h"
#include "views/ephem_stat_form.h"
#include "views/monitoring_windows.h"
#include "views/product_form.h"
#include "views/raw_meas_form.h"
#include "views/system_data_windows.h"
#include "views/utc_param_form.h"
#include "views/vel_pos_form.h"

namespace zelkon {
namespace {

constexpr Route kRoutes[] = {
    // Timing.
    To<ParseTimingPrimary, ShowTimingPrimary>(),
    To<ParseTimingSupplemental, ShowTimingSupplemental>(),
    To<ParsePrimaryUtcTime, ShowPrimaryUtcTime>(),
    // Position, velocity and time.
    To<ParseGpsTime, ShowGpsTime>(),
    To<ParseEcefPositionSingle, ShowEcefPositionSingle>(),
    To<ParseEcefVelocity, ShowEcefVelocity>(),
    To<ParseLlaPositionSingle, ShowLlaPositionSingle>(),
    To<ParseReferenceAltitude, ShowReferenceAltitude>(),
    To<ParseTimeAccepted, ShowTimeAccepted>(),
    To<ParseEnuVelocity, ShowEnuVelocity>(),
    To<ParseEcefPositionDouble, ShowEcefPositionDouble>(),
    To<ParseLlaPositionDouble, ShowLlaPositionDouble>(),
    To<ParseComprehensiveTime, ShowComprehensiveTime>(),
    // Status, satellites and measurements.
    To<ParseHealth, ShowHealth>(),
    Taken<MachineStatus>(),
    To<ParseRawMeasurement, ShowRawMeasurement>(),
    To<ParseEphemerisStatus, ShowEphemerisStatus>(),
    To<ParseTrackingStatus, ShowTrackingStatus>(),
    To<ParseSatelliteSelection, ShowSatelliteSelection>(),
    // Configuration read-back.
    To<ParseIoOptions, ShowIoOptions>(),
    To<ParseNmeaConfig, ShowNmeaConfig>(),
    To<ParseReceiverConfig, ShowReceiverConfig>(),
    To<ParsePortConfig, ShowPortConfig>(),
    To<ParseDatumIndex, ShowDatum>(),
    To<ParsePpsCharacteristics, ShowPpsCharacteristics>(),
    To<ParseSurveyLimit, ShowSurveyLimit>(),
    To<ParseAutoOutputMask, ShowAutoOutputMask>(),
    To<ParsePpsOutputOption, ShowPpsOutputOption>(),
    To<ParsePpsWidth, ShowPpsWidth>(),
    To<ParseBroadcastMask, ShowBroadcastMask>(),
    To<ParseSelfSurveyParams, ShowSelfSurveyParams>(),
    // Product, diagnostics and system data.
    To<ParseSoftwareVersion, ShowSoftwareVersion>(),
    To<ParseSoftwareVersionLong, ShowSoftwareVersionLong>(),
    To<ParseManufacturingParams, ShowManufacturingParams>(),
    To<ParseProductionParams, ShowProductionParams>(),
    To<ParseSegmentStatus, ShowSegmentStatus>(),
    InEngineeringModeTo<ParseFatalReport, ShowFatalReport>(),
    To<ParseAlmanac, ShowAlmanac>(),
    To<ParseAlmanacHealth, ShowAlmanacHealth>(),
    To<ParseUtcParams, ShowUtcParams>(),
};

}  // namespace

std::span<const Route> ReportRoutes() { return kRoutes; }

}  // namespace zelkon
