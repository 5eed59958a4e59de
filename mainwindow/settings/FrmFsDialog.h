#pragma once

#include <QDialog>
#include <QPushButton>
#include <memory>

#include "core/ClsInstrument.h"
#include "platform/gui/FlexGrid.h"
#include "platform/gui/Geometry.h"

namespace settings {

// Where the option dialog places its controls (twips), and its client size.
struct FsDialogLayout {
    platform::TwipsRect grid, ok, cancel;
    double width = 0, height = 0;
    double captionWidth = 0, valueWidth = 0;
};
// `captionWidth`: what the longest caption needs (twips); the design's width when less.
FsDialogLayout LayOutFsDialog(double captionWidth = 0);

// The option dialog: the instrument's option settings edited on a working copy; OK writes the
// options changed here into the instrument (raising their change flags), Cancel drops them.
class FrmFsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FrmFsDialog(QWidget* parent = nullptr);
    // An edit still open is dropped before the dialog's handlers go.
    ~FrmFsDialog() override;

    // The instrument whose options are edited (set before the dialog is shown).
    core::clsInstrument* Instrument = nullptr;

    platform::FlexGrid* vfgDatas;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // The first activation makes the working copy and fills the grid; later ones nothing.
    void Form_Activate();
    void cmdOK_Click();
    void cmdCancel_Click();

    void FillGrid();
    // kind 0 text or number, 1 check box, 2 list ("a|b|c", the value its index).
    void SetGridRow(int row, const QString& caption, const QString& value, int kind,
                    const QString& list = QString());
    int GridValueCode(int row) const;
    void GridToInstrument();
    // The working copy (after the first activation).
    const core::clsInstrument* workingCopy() const { return copy_.get(); }

    void vfgDatas_BeforeEdit(int row, int col, bool& cancel);
    void vfgDatas_KeyPressEdit(int row, int col, int& keyAscii);
    void vfgDatas_ValidateEdit(int row, int col, bool& cancel);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The width (twips) the caption column needs for its longest text in the dialog's font.
    double captionColumnWidth() const;
    // Rows 6 and 7 look off while the calibration time limit is 0.
    void markLimitRows(bool off);
    // Made by the first activation.
    std::unique_ptr<core::clsInstrument> copy_;
};

// Opens the dialog modally on an instrument.
void ShowOptionDialog(core::clsInstrument& instrument, QWidget* parent);

}  // namespace settings
