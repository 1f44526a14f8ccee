// Which settings each device type keeps, one row per type.

#include "protocol/settings_types.h"

namespace {

using F = SettingsFamily;

constexpr SettingsTypeRow kNone{DT_UNKNOWN, F::None, 0, {nullptr, nullptr, nullptr}, 0};

// Logger rows read the keys of their valid-mask bits; instrument rows those of their mask bits.
// SG and TRNK6 files carry their short codes; the older names GZ and TRNK are read as well.
// A ZLG writes its logger name ZLG2 and also takes the files of a KT30 or an RL9.
constexpr SettingsTypeRow kRows[] = {
    {DT_KT3B, F::Logger, 0x8000077, {"Kt3b", nullptr, nullptr}, 0x8000073},
    {DT_KT30, F::Logger, 0x7FFEFFF, {"Kt30", "rL9", nullptr}, 0xFFFFFFFF},
    {DT_HV, F::Logger, 0xD07, {"HubVault", nullptr, nullptr}, 0xD03},
    {DT_RL9, F::Logger, 0x7FFEFFF, {"rL9", "Kt30", nullptr}, 0xFFFFFFFF},
    {DT_ZLG, F::Logger, 0x7FFEFFF, {"ZLG2", "Kt30", "rL9"}, 0xFFFFFFFF},
    {DT_VMINI, F::Instrument, 0x4000007A, {"VMINI", nullptr, nullptr}, 0x7A},
    {DT_TQ, F::Instrument, 0x100192, {"TQ", nullptr, nullptr}, 0x100192},
    {DT_RD60, F::Instrument, 0x7000400, {"RD60", nullptr, nullptr}, 0x7000400},
    {DT_SG, F::Instrument, 0xB2, {"SG", "GZ", nullptr}, 0x92},
    {DT_HSRB, F::Instrument, 0x80027402, {"HSRB", nullptr, nullptr}, 0x402},
    {DT_V7X, F::Instrument, 0xC00, {"V7X", nullptr, nullptr}, 0xC00},
    {DT_KCB, F::Instrument, 0x3, {"KCB", nullptr, nullptr}, 0x3},
    {DT_RV, F::Instrument, 0xAC0013, {"RV", nullptr, nullptr}, 0xAC0013},
    {DT_QHM, F::Instrument, 0x28400802, {"QHM", nullptr, nullptr}, 0x28000862},
    {DT_PTM7, F::Instrument, 0x802, {"PTM7", nullptr, nullptr}, 0x802},
    {DT_MTQ, F::Instrument, 0x802, {"MTQ", nullptr, nullptr}, 0x802},
    {DT_TRNK6, F::Instrument, 0x200002, {"TRNK6", "TRNK", nullptr}, 0x200002},
    {DT_V8X, F::Instrument, 0x38000802, {"V8X", nullptr, nullptr}, 0x78000840},
    {DT_SOLIX_KA, F::Sensor, 0, {"Digital Sensor", nullptr, nullptr}, 0},
};

}  // namespace

const SettingsTypeRow& SettingsTypeOf(DeviceType type) {
  for (const SettingsTypeRow& row : kRows) {
    if (row.type == type) return row;
  }
  return kNone;
}
