// The instrument values in the order they are read and written.

#include "protocol/inst_value_table.h"

namespace {

using K = InstValueKind;
using S = InstrumentSettings;

#define TEXT(f) [](S& s) { return FieldOf(s.f); }, nullptr
#define NUMBER(f) nullptr, [](S& s) { return &s.f; }
#define NONE nullptr, nullptr

constexpr InstGetStep kGetOrder[] = {
    {kInstLang, K::Number, "get -lang", 0, NUMBER(lang)},
    {kInstSn, K::Text, "get -sn", 15, TEXT(sn)},
    {kInstContr, K::Number, "get -contr", 0, NUMBER(contr)},
    {kInstConfig, K::Text, "get -config", 64, TEXT(config)},
    {kInstFvals, K::Text, "get -fvals", 128, TEXT(fvals)},
    {kInstUvals, K::Uvals, nullptr, 128, TEXT(uvals)},
    {kInstUnits, K::Number, "get -units", 0, NUMBER(units)},
    {kInstAdc, K::Text, "get -adc", 16, TEXT(adc)},
    {kInstSample, K::Sample, "get -sample", 128, TEXT(sample)},
    {kInstInt, K::Number, "get -int", 0, NUMBER(intValue)},
    {kInstAdccal, K::Text, "get -adccal", 63, TEXT(adccal)},
    {kInstWtoffset, K::Text, "get -wtoffset", 63, TEXT(wtoffset)},
    {kInstWtfactory, K::Text, "get -wtfactory", 63, TEXT(wtfactory)},
    {kInstP1offset, K::Text, "get -p1offset", 63, TEXT(p1offset)},
    {kInstSys, K::Text, "get -sys", 128, TEXT(sys)},
    {kInstAuto, K::Text, "get -auto", 63, TEXT(autoSec)},
    {kInstBuild, K::Text, "get -build", 16, TEXT(build)},
    {kInstRvUnits, K::Text, "get -units", 128, TEXT(rvUnits)},
    {kInstName, K::Text, "get -i", 8, TEXT(name)},
    {kInstAdc15, K::Text, "get -adc15", 128, TEXT(adc15)},
    {kInstAdc30, K::Text, "get -adc30", 128, TEXT(adc30)},
    {kInstCal, K::CalList, "get", 128, NONE},
    {kInstLocation, K::Text, "get -loc", 128, TEXT(location)},
    {kInstChai, K::Text, "get -x", 16, TEXT(chai)},
    {kInstExt, K::Text, "get -ext", 16, TEXT(ext)},
    {kInstEqnRecords, K::Eqn, nullptr, 0, NONE},
    {kInstUserRecords, K::User, nullptr, 0, NONE},
    {kInstTadj, K::Text, "get -tadj", 128, TEXT(tadj)},
    {kInstHadjTau, K::HadjTau, "get -hadj", 128, TEXT(hadj)},
    {kInstPPv, K::PPv, "get -p", 128, NONE},
};

constexpr InstSetStep kSetOrder[] = {
    {kInstSn, K::Text, "-sn", "device serial number", TEXT(sn)},
    {kInstLang, K::Number, "-lang", "device language",
     NUMBER(lang)},
    {kInstContr, K::Number, "-contr", "device contrast",
     NUMBER(contr)},
    {kInstFvals, K::Text, "-fvals", "fvals", TEXT(fvals)},
    {kInstConfig, K::Text, "-config", "config", TEXT(config)},
    {kInstUvals, K::Uvals, nullptr, "uvals/pvuser", TEXT(uvals)},
    {kInstUnits, K::Number, "-units", "device units",
     NUMBER(units)},
    {kInstAdc, K::Text, "-adc", "adc", TEXT(adc)},
    {kInstSample, K::Text, "-sample", "sample", TEXT(sample)},
    {kInstAdccal, K::Text, "-adccal", "adccal", TEXT(adccal)},
    {kInstWtoffset, K::Text, "-wtoffset", "wtoffset",
     TEXT(wtoffset)},
    {kInstWtfactory, K::Text, "-wtfactory", "wtfactory",
     TEXT(wtfactory)},
    {kInstP1offset, K::Text, "-p1offset", "p1offset",
     TEXT(p1offset)},
    {kInstSys, K::Text, "-sys", "sys", TEXT(sys)},
    {kInstAuto, K::Text, "-auto", "autosec", TEXT(autoSec)},
    {kInstRvUnits, K::Text, "-units", "rvUnits", TEXT(rvUnits)},
    {kInstName, K::Text, "-i", "name", TEXT(name)},
    {kInstAdc15, K::Text, "-adc15", "adc15", TEXT(adc15)},
    {kInstAdc30, K::Text, "-adc30", "adc30", TEXT(adc30)},
    {kInstCal, K::CalList, nullptr, "cal %d", NONE},
    {kInstLocation, K::Text, "-loc", "location",
     TEXT(location)},
    {kInstChai, K::Text, "-x", "chai", TEXT(chai)},
    {kInstExt, K::Text, "-ext", "ext", TEXT(ext)},
    {kInstEqnRecords, K::Eqn, nullptr, nullptr, NONE},
    {kInstUserRecords, K::User, nullptr, nullptr, NONE},
    {kInstTadj, K::Text, "-tadj", "tadj", TEXT(tadj)},
    {kInstHadjTau, K::HadjTau, nullptr, nullptr, NONE},
    {kInstPPv, K::PPv, nullptr, nullptr, NONE},
};

#undef TEXT
#undef NUMBER
#undef NONE

}  // namespace

std::span<const InstGetStep> InstGetOrder() { return kGetOrder; }
std::span<const InstSetStep> InstSetOrder() { return kSetOrder; }

CalAddressing CalAddressingFor(DeviceType type) {
  if (type == DT_TRNK6) return {"-cal", 1, 7};
  return {"-cal ", 0, kInstCalEntries};
}
