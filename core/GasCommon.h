#pragma once

#include <QString>
#include <cstdint>

#include "runtime/Variant.h"

namespace core {

class clsInstrument;

// The reading codes: reserved values that stand in a gas value's place.
inline constexpr float CodeNoValue = -101.0f;  // "-----"
inline constexpr int FirstReadingCode = -120;
inline constexpr int LastReadingCode = -101;
bool IsReadingCode(float value);

// What a record offers for a gas caption: GasListInfo(gas, 0) name, (gas, 1) full scale,
// (gas, 3) decimal places, (gas, 14) unit.
class GasListSource {
  public:
    virtual ~GasListSource() = default;
    virtual rt::Variant GasListInfo(int gasNo, int types) const = 0;
};

int16_t IntervalToIndex(int16_t seconds);
int16_t IntermittenceToIndex(int16_t seconds);
// 0 below 0; else value / step rounded half to even to 16 bits, times step. Error 11 for a
// step of 0, error 6 when the quotient leaves 16 bits.
float QuantizeToStep(float value, float step);

QString ValueText(float value, int16_t decimals);
// A value in instrument counts scaled by 0.1^decimals; codes unchanged; decimals outside 0..9
// (a channel not fitted) give -101.
float ScaleRawValue(float value, int16_t decimals);
// "OVER" for a reading below 0 or above the full scale; a full scale that is no value (one
// that could not be read) bounds nothing: the text stays.
QString OverIfOutOfRange(const QString& text, float fullScale);
QString EventCodeText(int32_t code);
// The column caption of one gas: "name(full scale unit)" or "name(unit)" (also when the full
// scale is no value).
QString GasCaption(const clsInstrument* source, int16_t gas, bool withScale);
QString GasCaption(const GasListSource* source, int16_t gas, bool withScale);
QString GasCaptionFrom(const QString& name, const QString& unit, float fullScale, int16_t decimals);
QString ValueTextOrZeros(float value, int16_t decimals);
QString RawCountText(float value, int16_t decimals);
QString DecimalMask(int16_t decimals);
float ParseValueOrStatus(const QString& text);
float ParseRawValueOrStatus(const QString& text, int16_t decimals);
int16_t DecimalsOf(const QString& text);
int16_t StatusNumberToCode(const QString& text);

}  // namespace core
