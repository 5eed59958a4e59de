#pragma once

#include "mainwindow/common/ReportForms.h"
#include "printing/FrmPrint.h"

namespace app {

// The main window's print forms, all the one long-lived print form of the program: a print
// starts from the properties the last print left (as callers that leave one unset expect),
// hands its own to the form, loads it and prints.
mainwindow::PrintForms PrintFormsOf(printing::FrmPrint& form);

}  // namespace app
