// The steps the menu commands share: the CMOS check, the error box, the
// print start, the paper-out question and the print conditions check.
#include "shell/TGlowneOkno.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/DriverText.h"

#include "darvodr.h"

namespace {
constexpr int32_t kPaperOut = 109;
}

bool TGlowneOkno::CmosCheck() {
    bool errorReported = false;
    const bool erased = CheckCmosErased(errorReported);
    if (errorReported) {
        ClearActivityMessage();
        return false;
    }
    if (erased) {
        RefuseCommand(ConditionMessage(darvo::ops::PrintBlocker::CmosErased));
        ClearActivityMessage();
        return false;
    }
    return true;
}

void TGlowneOkno::ShowCommandError(int32_t code) {
    if (code == 0) return;
    SetArrowCursor();
    ShowErrorCode(code);
}

void TGlowneOkno::RefuseCommand(const QString &text) {
    ErrorBeep();
    ClearActivityMessage();
    ErrorBox(text);
}

bool TGlowneOkno::PrintStart(uint8_t deviceType) {
    SetBusyCursor();
    if (int32_t code = PrintControl(1, deviceType); code != 0) {
        ShowCommandError(code);
        return false;
    }
    return true;
}

void TGlowneOkno::ResumeAfterPaperOut(int32_t code, uint8_t deviceType, int32_t resumeMode) {
    while (code == kPaperOut) {
        SetArrowCursor();
        const BoxAnswer answer =
            ShowBox(BoxKind::WarningQuestion, QStringLiteral("Odpowiedz"),
                    QStringLiteral(" Brak papieru lub podniesiona głowica mechanizmu "
                                   "drukującego\rCzy wznowić wydruk po założeniu papieru?"));
        if (answer != BoxAnswer::Yes) {
            code = 0;
            break;
        }
        SetBusyCursor();
        code = PrintControl(resumeMode, deviceType);
    }
    ShowCommandError(code);
    SetArrowCursor();
    ClearActivityMessage();
}

bool TGlowneOkno::PrintConditionsCheck() {
    SetBusyCursor();
    bool errorReported = false;
    darvo::ops::PrintBlocker blocker = darvo::ops::PrintBlocker::None;
    if (CheckPrintConditions(errorReported, blocker)) return true;
    SetArrowCursor();
    if (errorReported) {
        ClearActivityMessage();
        return false;
    }
    RefuseCommand(ConditionMessage(blocker));
    return false;
}
