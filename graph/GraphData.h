#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "runtime/OleDate.h"

namespace graph {

class GraphSurface;

// The highest sample index and the highest event (and control-level text) index.
inline constexpr int MaxSampleIndex = 16360;
inline constexpr int MaxEventIndex = 2048;
// A missing reading: the line is broken there.
inline constexpr float GapValue = -0.01f;

// A time of the shared axis: the date and its whole seconds from sample 0.
struct AxisTime {
    rt::OleDate date;
    int32_t seconds = 0;
};

// One series (the control calls it a Sample).
struct SeriesRecord {
    QString ValueName;
    int32_t ValueColor = 0;
    int16_t LastSample = 0;
    QString FormatY;
    float MinY = 0, MaxY = 0;
    float FullScale = 0;
    float PosYStp = 0;
    float YScale = 0;
    bool SampleVisible = false;
    // Reserved whole: loading a trend never grows it.
    std::vector<float> Value = std::vector<float>(MaxSampleIndex + 1, 0.0f);

    // Back to a new record's state, keeping the storage: only the values written are zeroed.
    void reset();
};

// The events of one series.
struct EventBlock {
    bool EventVisible = false;
    std::vector<AxisTime> Event = std::vector<AxisTime>(MaxEventIndex + 1);
    std::vector<QString> EventText = std::vector<QString>(MaxEventIndex + 1);
    float EventRowY = 0;

    // Back to a new block's state, keeping the storage: only the entries written are reset.
    void reset();
    // One past the highest entry of Event and of EventText ever written since the last reset.
    int usedEvents = 0;
    int usedTexts = 0;
};

// The state of the trend graph: the series, their events, the shared time axis, the window,
// the layout results and the look. Members that take a series index either guard it (a write
// to the spare record or above is ignored) or check its bounds (rt::RuntimeError 9); the
// comment of each member says which.
class GraphData {
  public:
    GraphData();

    // ---- fields ----
    GraphSurface* DrawObj = nullptr;  // set by the control to its own picture
    float SetDrawLeft = 0, SetDrawTop = 0, SetDrawWidth = 1000, SetDrawHeight = 1000;
    float DrawLineWidth = 1, ScaleLineWidth = 1;
    std::vector<AxisTime> Sample = std::vector<AxisTime>(MaxSampleIndex + 1);
    int16_t SampleCount = 0;
    // Bounds 0..n with n series added: one spare record at the end (0..1 when empty).
    std::vector<SeriesRecord> SampleData;
    std::vector<EventBlock> EventData;
    std::vector<int16_t> EventCounts;
    bool CommonFlagVisible = false;
    std::vector<QString> CommonFlag = std::vector<QString>(MaxEventIndex + 1);
    float CommonRowY = 0;
    bool AutoRedraw = true;
    bool RefreshRequest = false;
    float PlotLeft = 0, PlotTop = 0, PlotWidth = 0, PlotHeight = 0;
    float PosXStp = 0, XScale = 0;
    float MinX = 0, MaxX = 0;
    QString FormatX;
    QString TitleTop, TitleBottom;
    int32_t scaleColor = 0;  // ScaleColor: frame, grid and time labels (black)
    int16_t ZoomFactor = 1;
    float CursorIndex = 0;
    float LabelOffset = 0;

    // The upper bound of the series arrays (the spare record's index).
    int upper() const { return static_cast<int>(SampleData.size()) - 1; }
    bool seriesAdded_ = false;  // since the last Clear

    // ---- members ----
    int16_t AddSample(const QString& names, int32_t colors, const QString& formats,
                      float fullScale);
    // Empties the series, events and control-level texts; the times, the window, the zoom and
    // the look stay.
    void Clear();

    int32_t SampleDataCount() const { return upper(); }
    static int32_t MaxSamples() { return MaxSampleIndex; }
    static int32_t MaxEvents() { return MaxEventIndex; }

    // A series' event text, or (series at or above the upper bound) a control-level text.
    // Get: index 0..2048; let: 0..2047, 2048 ignored.
    QString EventFlag(int sampleNum, int index) const;
    void setEventFlag(int sampleNum, int index, const QString& text);
    bool EventVisible(int sampleNum) const;
    void setEventVisible(int sampleNum, bool visible);
    // Bounds only: the spare record can be written.
    QString FormatY(int sampleNum) const;
    void setFormatY(int sampleNum, const QString& format);
    float MinY(int sampleNum = 0) const;
    void setMinY(float value) { setMinY(0, value); }
    void setMinY(int sampleNum, float value);
    float MaxY(int sampleNum = 0) const;
    void setMaxY(float value) { setMaxY(0, value); }
    void setMaxY(int sampleNum, float value);
    bool SampleVisible(int sampleNum) const;
    void setSampleVisible(int sampleNum, bool visible);
    // "" and 0 at or above the upper bound.
    QString ValueName(int index) const;
    void setValueName(int index, const QString& name);
    int32_t ValueColor(int index) const;
    void setValueColor(int index, int32_t color);
    // The time of a sample, 0..16360; its seconds from sample 0 follow.
    rt::OleDate valueX(int index) const;
    void setValueX(int index, rt::OleDate date);
    // As valueX, for 0..16359 (16360 and above ignored); raises SampleCount to the index.
    rt::OleDate DataX(int number) const { return valueX(number); }
    void setDataX(int number, rt::OleDate date);
    rt::OleDate EventX(int gasNo, int number) const;
    void setEventX(int gasNo, int number, rt::OleDate date);
    // A value, 0..16360; a write raises the series' LastSample.
    float valueY(int index, int number) const;
    void setValueY(int index, int number, float value);
    float PosYStp(int sampleNum) const;
    int16_t EventCount(int gasNo) const;
    void setEventCount(int gasNo, int16_t count);

    // Positions (twips) and back, by the last layout.
    float xPos(float seconds) const;
    float xData(float position) const;
    float yPos(float value, int sampleNum) const;
    float yData(float position, int sampleNum) const;

    // The seconds of a sample or event time from sample 0, rounded half to even; raises
    // Overflow beyond the Long range.
    int32_t SecondsFromStart(rt::OleDate date) const;

  protected:
    // Raises error 9 unless 0 <= index <= last.
    static void checkBounds(int index, int last);
    // A real series: false at or above the upper bound (the write is ignored); error 9 below 0.
    bool realSeries(int sampleNum) const;
    void resetSeries();

  private:
    // Series records dropped by Clear, kept (reset) for the next AddSample: a trend is drawn
    // again and again, and each record's arrays are large.
    std::vector<SeriesRecord> spareSeries_;
    std::vector<EventBlock> spareEvents_;
};

}  // namespace graph
