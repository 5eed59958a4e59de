#pragma once

namespace core {

// The ids of the texts with which the data page, its exports, the library and the printed
// reports describe a stored download.
enum LogText : int {
    TextGridProperty = 5105,
    TextGridValue = 5106,
    TextProperty = 5604,
    TextValue = 5605,
    TextName = 5606,
    TextStart = 5607,
    TextSerial = 5608,
    TextUser = 5610,
    TextCount = 5611,
    TextInterval = 5612,
    TextAverage = 5613,
    TextMaximum = 5614,
    TextMinimum = 5615,
    TextAlarmDate = 5616,
    TextNo = 5620,
    TextDate = 5621,
    TextType = 5622,
    TextFolder = 5623,
    TextIntervalTrend = 5624,  // the kinds' names
    TextAlarmTrend = 5625,
    TextBefore = 5633,
    TextAfter = 5634,
    TextMaximumDate = 5663,
    TextMinimumDate = 5664,
    TextLastDownload = 5668,
    TextGasFullScale = 5750,
};

}  // namespace core
