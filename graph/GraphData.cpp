#include "graph/GraphData.h"

#include <algorithm>
#include <cmath>

#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"

namespace graph {

GraphData::GraphData() {
    resetSeries();
}

void SeriesRecord::reset() {
    // Every write of a value raises LastSample: the values above it are zero still.
    std::fill_n(Value.begin(), std::min<size_t>(Value.size(), size_t(LastSample) + 1), 0.0f);
    ValueName = QString();
    ValueColor = 0;
    LastSample = 0;
    FormatY = QString();
    MinY = MaxY = 0;
    FullScale = 0;
    PosYStp = 0;
    YScale = 0;
    SampleVisible = false;
}

void EventBlock::reset() {
    EventVisible = false;
    std::fill_n(Event.begin(), usedEvents, AxisTime());
    std::fill_n(EventText.begin(), usedTexts, QString());
    usedEvents = usedTexts = 0;
    EventRowY = 0;
}

void GraphData::resetSeries() {
    // Two records (the first series and the spare one) as new; the others wait for reuse.
    const auto keepTwo = [](auto& records, auto& spares) {
        while (records.size() > 2) {
            records.back().reset();
            spares.push_back(std::move(records.back()));
            records.pop_back();
        }
        for (auto& record : records)
            record.reset();
        records.resize(2);
    };
    keepTwo(SampleData, spareSeries_);
    keepTwo(EventData, spareEvents_);
    EventCounts.assign(2, 0);
    seriesAdded_ = false;
}

void GraphData::checkBounds(int index, int last) {
    if (index < 0 || index > last) throw rt::RuntimeError(rt::ErrSubscript);
}

bool GraphData::realSeries(int sampleNum) const {
    if (sampleNum < 0) throw rt::RuntimeError(rt::ErrSubscript);
    return sampleNum < upper();
}

int16_t GraphData::AddSample(const QString& names, int32_t colors, const QString& formats,
                             float fullScale) {
    int target = 0;
    // Every series after the first takes the next number, named or not: the hosts address
    // the series by gas, and an unnamed gas must not take the place of the next one.
    if (seriesAdded_) {
        target = upper();
        const auto append = [](auto& records, auto& spares) {
            if (spares.empty()) {
                records.emplace_back();
                return;
            }
            records.push_back(std::move(spares.back()));
            spares.pop_back();
        };
        append(SampleData, spareSeries_);
        append(EventData, spareEvents_);
        EventCounts.push_back(0);
    }
    seriesAdded_ = true;
    SeriesRecord& r = SampleData[static_cast<size_t>(target)];
    r.ValueName = names;
    r.ValueColor = colors;
    r.FullScale = fullScale;
    r.SampleVisible = true;
    if (!formats.isEmpty()) r.FormatY = formats;
    EventData[static_cast<size_t>(target)].EventVisible = false;
    return static_cast<int16_t>(target);
}

void GraphData::Clear() {
    resetSeries();
    SampleCount = 0;
    CursorIndex = 0;
    LabelOffset = 0;
    for (int i = 0; i < MaxEventIndex; ++i)
        CommonFlag[static_cast<size_t>(i)].clear();
}

QString GraphData::EventFlag(int sampleNum, int index) const {
    checkBounds(index, MaxEventIndex);
    if (realSeries(sampleNum))
        return EventData[static_cast<size_t>(sampleNum)].EventText[static_cast<size_t>(index)];
    return CommonFlag[static_cast<size_t>(index)];
}

void GraphData::setEventFlag(int sampleNum, int index, const QString& text) {
    checkBounds(index, MaxEventIndex);
    const bool series = realSeries(sampleNum);
    if (index == MaxEventIndex) return;
    if (series) {
        EventBlock& block = EventData[static_cast<size_t>(sampleNum)];
        block.EventText[static_cast<size_t>(index)] = text;
        block.usedTexts = std::max(block.usedTexts, index + 1);
    } else
        CommonFlag[static_cast<size_t>(index)] = text;
}

bool GraphData::EventVisible(int sampleNum) const {
    return realSeries(sampleNum) ? EventData[static_cast<size_t>(sampleNum)].EventVisible
                                 : CommonFlagVisible;
}

void GraphData::setEventVisible(int sampleNum, bool visible) {
    if (realSeries(sampleNum))
        EventData[static_cast<size_t>(sampleNum)].EventVisible = visible;
    else
        CommonFlagVisible = visible;
}

QString GraphData::FormatY(int sampleNum) const {
    checkBounds(sampleNum, upper());
    return SampleData[static_cast<size_t>(sampleNum)].FormatY;
}

void GraphData::setFormatY(int sampleNum, const QString& format) {
    checkBounds(sampleNum, upper());
    SampleData[static_cast<size_t>(sampleNum)].FormatY = format;
}

float GraphData::MinY(int sampleNum) const {
    checkBounds(sampleNum, upper());
    return SampleData[static_cast<size_t>(sampleNum)].MinY;
}

void GraphData::setMinY(int sampleNum, float value) {
    if (realSeries(sampleNum)) SampleData[static_cast<size_t>(sampleNum)].MinY = value;
}

float GraphData::MaxY(int sampleNum) const {
    checkBounds(sampleNum, upper());
    return SampleData[static_cast<size_t>(sampleNum)].MaxY;
}

void GraphData::setMaxY(int sampleNum, float value) {
    if (realSeries(sampleNum)) SampleData[static_cast<size_t>(sampleNum)].MaxY = value;
}

bool GraphData::SampleVisible(int sampleNum) const {
    checkBounds(sampleNum, upper());
    return SampleData[static_cast<size_t>(sampleNum)].SampleVisible;
}

void GraphData::setSampleVisible(int sampleNum, bool visible) {
    if (realSeries(sampleNum)) SampleData[static_cast<size_t>(sampleNum)].SampleVisible = visible;
}

QString GraphData::ValueName(int index) const {
    return realSeries(index) ? SampleData[static_cast<size_t>(index)].ValueName : QString();
}

void GraphData::setValueName(int index, const QString& name) {
    if (realSeries(index)) SampleData[static_cast<size_t>(index)].ValueName = name;
}

int32_t GraphData::ValueColor(int index) const {
    return realSeries(index) ? SampleData[static_cast<size_t>(index)].ValueColor : 0;
}

void GraphData::setValueColor(int index, int32_t color) {
    if (realSeries(index)) SampleData[static_cast<size_t>(index)].ValueColor = color;
}

int32_t GraphData::SecondsFromStart(rt::OleDate date) const {
    // Seconds per day as the date value of one second gives it.
    const double oneSecond = 1.0 / 86400.0;
    return rt::CLng((date.value() - Sample[0].date.value()) * (1.0 / oneSecond));
}

rt::OleDate GraphData::valueX(int index) const {
    checkBounds(index, MaxSampleIndex);
    return Sample[static_cast<size_t>(index)].date;
}

void GraphData::setValueX(int index, rt::OleDate date) {
    checkBounds(index, MaxSampleIndex);
    AxisTime& t = Sample[static_cast<size_t>(index)];
    t.date = date;
    t.seconds = index == 0 ? 0 : SecondsFromStart(date);
}

void GraphData::setDataX(int number, rt::OleDate date) {
    if (number < 0) throw rt::RuntimeError(rt::ErrSubscript);
    if (number >= MaxSampleIndex) return;
    setValueX(number, date);
    if (SampleCount < number) SampleCount = static_cast<int16_t>(number);
}

rt::OleDate GraphData::EventX(int gasNo, int number) const {
    checkBounds(gasNo, upper());
    checkBounds(number, MaxEventIndex);
    return EventData[static_cast<size_t>(gasNo)].Event[static_cast<size_t>(number)].date;
}

void GraphData::setEventX(int gasNo, int number, rt::OleDate date) {
    checkBounds(gasNo, upper());
    checkBounds(number, MaxEventIndex);
    if (number == MaxEventIndex) return;
    EventBlock& block = EventData[static_cast<size_t>(gasNo)];
    block.usedEvents = std::max(block.usedEvents, number + 1);
    AxisTime& t = block.Event[static_cast<size_t>(number)];
    t.date = date;
    // Without a time of sample 0 there is nothing to count the seconds from.
    if (rt::RoundHalfEven(Sample[0].date.value()) != 0) {
        t.seconds = SecondsFromStart(date);
        int16_t& count = EventCounts[static_cast<size_t>(gasNo)];
        if (count < number) count = static_cast<int16_t>(number);
    } else {
        t.seconds = 0;
    }
}

float GraphData::valueY(int index, int number) const {
    checkBounds(index, upper());
    checkBounds(number, MaxSampleIndex);
    return SampleData[static_cast<size_t>(index)].Value[static_cast<size_t>(number)];
}

void GraphData::setValueY(int index, int number, float value) {
    if (!realSeries(index)) return;
    checkBounds(number, MaxSampleIndex);
    SeriesRecord& r = SampleData[static_cast<size_t>(index)];
    r.Value[static_cast<size_t>(number)] = value;
    if (r.LastSample < number) r.LastSample = static_cast<int16_t>(number);
}

float GraphData::PosYStp(int sampleNum) const {
    checkBounds(sampleNum, upper());
    return SampleData[static_cast<size_t>(sampleNum)].PosYStp;
}

int16_t GraphData::EventCount(int gasNo) const {
    checkBounds(gasNo, upper());
    return EventCounts[static_cast<size_t>(gasNo)];
}

void GraphData::setEventCount(int gasNo, int16_t count) {
    checkBounds(gasNo, upper());
    EventCounts[static_cast<size_t>(gasNo)] = count;
}

float GraphData::xPos(float seconds) const {
    return static_cast<float>((double(seconds) - MinX) * XScale + PlotLeft);
}

float GraphData::xData(float position) const {
    if (XScale == 0) return MinX;
    return static_cast<float>((double(position) - PlotLeft) / XScale + MinX);
}

float GraphData::yPos(float value, int sampleNum) const {
    checkBounds(sampleNum, upper());
    const SeriesRecord& r = SampleData[static_cast<size_t>(sampleNum)];
    return static_cast<float>(double(PlotTop) + PlotHeight - (double(value) - r.MinY) * r.YScale);
}

float GraphData::yData(float position, int sampleNum) const {
    checkBounds(sampleNum, upper());
    const SeriesRecord& r = SampleData[static_cast<size_t>(sampleNum)];
    if (r.YScale == 0) return r.MinY;
    return static_cast<float>((double(PlotTop) + PlotHeight - position) / r.YScale + r.MinY);
}

}  // namespace graph
