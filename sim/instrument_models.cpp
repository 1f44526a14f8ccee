#include "sim/instrument_models.h"

#include <array>

namespace {

// clang-format off
using K = SettingKind;

// Field limits of the instruments' settings memory.
constexpr uint16_t kSn = 15, kName = 8, kShort = 16, kMid = 63, kConfig = 64, kLong = 128;

constexpr InstrumentSetting kRvSettings[] = {
    {"i", K::Text, kName, "RV-LAB1"},
    {"sn", K::Text, kSn, "RV0073104"},
    {"contr", K::Number, 0, "12"},
    {"adc15", K::Text, kLong, "1.00231 -0.00410"},
    {"adc30", K::Text, kLong, "0.99874 0.00127"},
    {"units", K::Text, kLong, "kPa C %RH mV"},
};
constexpr std::string_view kRvCal[] = {
    "0 VP4 1.00210 -0.00330", "1 T 0.99980 0.01200", "2 RH 1.01250 -0.40000",
    "3 EC 0.98700 0.00000",   "4 MPS 1.00000 0.05000",
};

constexpr InstrumentSetting kKcbSettings[] = {
    {"i", K::Text, kName, "KCB-17"},
    {"sn", K::Text, kSn, "KCB022190"},
};

constexpr InstrumentSetting kVminiSettings[] = {
    {"sn", K::Text, kSn, "VM0183422"},
    {"lang", K::Number, 0, "0"},
    {"contr", K::Number, 0, "45"},
    {"fvals", K::Text, kLong, "1.0000 0.0000 1.0000 0.0000"},
    {"uvals", K::Text, kLong, "1.0021 -0.0150 0.9985 0.0000"},
    {"hadj", K::Text, kLong, "0.9820 0.0150"},
    {"tau", K::Number, 0, "12"},
};

constexpr InstrumentSetting kSgSettings[] = {
    {"sn", K::Text, kSn, "SG0041277"},
    {"contr", K::Number, 0, "40"},
    {"fvals", K::Text, kLong, "0.3120 1.0450 -0.0021"},
    {"units", K::Number, 0, "1"},
};

constexpr InstrumentSetting kTqSettings[] = {
    {"sn", K::Text, kSn, "TQ2056113"},
    {"contr", K::Number, 0, "38"},
    {"units", K::Number, 0, "0"},
    {"adc", K::Text, kShort, "12 4096"},
    {"sample", K::Text, kLong, "60 5 1"},
};

constexpr InstrumentSetting kHsrbSettings[] = {
    {"sn", K::Text, kSn, "HS0092351"},
    {"adccal", K::Text, kMid, "1.00042 -0.00120"},
    {"wtoffset", K::Text, kMid, "0.0125"},
    {"p1offset", K::Text, kMid, "-0.0043"},
    {"auto", K::Text, kMid, "900"},
    {"wtfactory", K::Text, kMid, "1.00000 0.00000"},
    {"sys", K::Text, kLong, "2 1 0 1 25.0"},
};

constexpr InstrumentSetting kV7xSettings[] = {
    {"adccal", K::Text, kMid, "0.99961 0.00210"},
    {"config", K::Text, kConfig, "3 1 0 12 1"},
};

// Older RD-60 firmware has no serial number, contrast or configuration.
constexpr InstrumentSetting kRd60Settings[] = {
    {"adccal", K::Text, kMid, "1.00120 -0.00087"},
    {"loc", K::Text, kLong, "North plot, row 4"},
    {"x", K::Text, kShort, "A1-3"},
    {"ext", K::Text, kShort, "0.9987"},
    {"sn", K::Text, kSn, "RD6033104", 200},
    {"contr", K::Number, 0, "50", 200},
    {"config", K::Text, kConfig, "2 0 1 60", 200},
};

constexpr InstrumentSetting kQhmSettings[] = {
    {"sn", K::Text, kSn, "QHM011275"},
    {"config", K::Text, kConfig, "1 2 0 30"},
    {"p", K::Text, kLong, "1.0003 0.0000 0.9991"},
    {"pv", K::Text, kLong, "0.9978 0.0120 1.0000"},
    {"tadj", K::Text, kLong, "0.9950 0.0120"},
};
constexpr std::string_view kQhmUser[] = {
    "MgkxCTAJU2lsdCBMb2FtCTAuNDEyCTAuMDUxCTEuMzI=",
};

constexpr InstrumentSetting kPtm7Settings[] = {
    {"sn", K::Text, kSn, "PTM704421"},
    {"config", K::Text, kConfig, "0 1 1 600"},
};

constexpr InstrumentSetting kMtqSettings[] = {
    {"sn", K::Text, kSn, "MTQ104826"},
    {"config", K::Text, kConfig, "4 1 0 300 2"},
};

constexpr InstrumentSetting kTrnk6Settings[] = {
    {"sn", K::Text, kSn, "TRN603187"},
};
constexpr std::string_view kTrnk6Cal[] = {
    "1 0.99830 0.00210", "2 1.00120 -0.00400", "3 1.00000 0.00000", "4 0.99650 0.01100",
};

// The V8X configuration is a number that carries a check over the serial number's characters.
// "sensor" is the type of its attached KRT4 sensor.
constexpr InstrumentSetting kV8xSettings[] = {
    {"sn", K::Text, kSn, "V8X204170"},
    {"config", K::Text, kConfig, "4821"},
    {"tadj", K::Text, kLong, "1.0020 -0.0350"},
    {"pvuser", K::Text, kLong, "0.0 100.0 0.0 1.0", 205},
    {"sensor", K::Number, 0, "3"},
};
constexpr std::string_view kV8xEqn[] = {
    "Loam_Sand 0.000318 -0.0612 1.0 0.0",
    "Clay`_heavy 0.000291 -0.0530 1.0 0.0",
    "Peat 0.000402 -0.0211 1.0 0.0",
};
constexpr std::string_view kV8xUser[] = {
    "MgkxCTAJU2lsdCBMb2FtCTAuNDEyCTAuMDUxCTEuMzI=",  // "Silt Loam"
    "NAkyCTAJQmVuY2ggU2FuZAkwLjM2MgkwLjAzMgkxLjYx",  // "Bench Sand": longer than a name holds
    "MQkzCTEJUGVhdCBNb3NzCTAuODAzCTAuMTIwCTAuMjQ=",  // "Peat Moss"
};

constexpr InstrumentModel kInstruments[] = {
    // type, settings, cal style, cal, eqn, user, erases data, clock, battery %, SDI-12 relay
    {DT_VMINI, kVminiSettings, CalStyle::None, {}, {}, {}, false, ClockStyle::None, 78, false},
    {DT_TQ, kTqSettings, CalStyle::None, {}, {}, {}, true, ClockStyle::TimeAndDate, 64, false},
    {DT_RD60, kRd60Settings, CalStyle::None, {}, {}, {}, true, ClockStyle::Seconds, 91, false},
    {DT_SG, kSgSettings, CalStyle::None, {}, {}, {}, true, ClockStyle::TimeAndDate, 55, false},
    {DT_SOLIX_KA, {}, CalStyle::None, {}, {}, {}, false, ClockStyle::None, 100, true},
    {DT_HSRB, kHsrbSettings, CalStyle::None, {}, {}, {}, true, ClockStyle::Seconds, 83, false},
    {DT_V7X, kV7xSettings, CalStyle::None, {}, {}, {}, false, ClockStyle::None, 72, false},
    {DT_KCB, kKcbSettings, CalStyle::None, {}, {}, {}, false, ClockStyle::None, 69, true},
    {DT_RV, kRvSettings, CalStyle::Spaced, kRvCal, {}, {}, true, ClockStyle::Seconds, 87, false},
    {DT_V8X, kV8xSettings, CalStyle::None, {}, kV8xEqn, kV8xUser, true, ClockStyle::Seconds, 81,
     false},
    {DT_QHM, kQhmSettings, CalStyle::None, {}, {}, kQhmUser, true, ClockStyle::Seconds, 93, false},
    {DT_PTM7, kPtm7Settings, CalStyle::None, {}, {}, {}, false, ClockStyle::None, 88, false},
    {DT_MTQ, kMtqSettings, CalStyle::None, {}, {}, {}, false, ClockStyle::None, 76, false},
    {DT_TRNK6, kTrnk6Settings, CalStyle::Joined, kTrnk6Cal, {}, {}, false, ClockStyle::Seconds, 62,
     false},
};

// clang-format on

}  // namespace

const InstrumentModel* FindInstrumentModel(DeviceType type) {
  for (const InstrumentModel& m : kInstruments) {
    if (m.type == type) return &m;
  }
  return nullptr;
}
