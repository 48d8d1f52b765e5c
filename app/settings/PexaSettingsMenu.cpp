// The "Ustawienia PEXA/PEXA F" submenu of "&Ustawienia": its commands. The
// submenu is enabled only for the PEXA printers, so they run no device check.
#include "settings/PexaSettingsMenu.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"
#include "core/DriverText.h"
#include "settings/TfDataEuroPrzeglad.h"
#include "settings/TfReklama.h"
#include "settings/TfReklamaOdczyt.h"
#include "settings/TfTekstyReklamowe.h"
#include "settings/TfUstawienia.h"

#include "ops/Display.h"

void PexaSettingsMenu::Attach(const MenuItems &items) {
    items.On("Ustawienia2", [this] { EditSettings(); });
    items.On("Datawprowadzeniaeuro1", [this] { EditEuroDate(); });
    items.On("Datanastpnegoprzegldu1", [this] { EditServiceDate(); });
    items.On("Odczyt2", [this] { ShowDisplayPicture(); });
    items.On("Zapis2", [this] { WriteDisplayPicture(); });
    items.On("Kasowanie1", [this] { EraseDisplayPicture(); });
    items.On("Liniereklamowe1", [this] { EditAdvertLines(); });
}

void PexaSettingsMenu::EditSettings() {
    ustawienia_.ReconnectAtSpeed = [this](uint16_t speed) { host_.ReconnectAtSpeed(speed); };
    ErrorBeep();
    ustawienia_.ShowModal();
    host_.ClearActivityMessage();
}

void PexaSettingsMenu::EditEuroDate() {
    dataEuroPrzeglad_.setWindowTitle(QStringLiteral("Data wprowadzenia euro"));
    dataEuroPrzeglad_.ShowFor(true);
    host_.ClearActivityMessage();
}

void PexaSettingsMenu::EditServiceDate() {
    dataEuroPrzeglad_.setWindowTitle(QStringLiteral("Data następnego przeglądu okresowego"));
    dataEuroPrzeglad_.ShowFor(false);
    host_.ClearActivityMessage();
}

void PexaSettingsMenu::EditAdvertLines() {
    ErrorBeep();
    tekstyReklamowe_.ShowModal();
    host_.ClearActivityMessage();
}

void PexaSettingsMenu::ShowDisplayPicture() {
    host_.SetBusyCursor();
    darvo::ops::DisplayRows rows{};
    if (int32_t code = darvo::ops::ReadDisplayPicture(rows); code != 0) {
        host_.ShowCommandError(code);
        host_.ClearActivityMessage();
        return;
    }
    // The picture is built in memory: no file of the user's is touched.
    const QByteArray bitmap = DisplayReadBackBitmap(rows);
    host_.SetArrowCursor();
    ErrorBeep();
    reklamaOdczyt_.LoadPicture(bitmap);
    reklamaOdczyt_.ShowModal();
    host_.ClearActivityMessage();
}

void PexaSettingsMenu::WriteDisplayPicture() {
    host_.SetArrowCursor();
    const QString file = reklama_.opOpen();
    if (file.isEmpty() || !LoadDisplayBitmap(file)) return;
    if (ShowBox(BoxKind::Question, QStringLiteral("Pytanie"),
                QStringLiteral("Czy zapisać dane do drukarki?")) == BoxAnswer::Yes) {
        host_.SetBusyCursor();
        const int32_t code = darvo::ops::WriteDisplayPicture();
        host_.SetArrowCursor();
        if (code == 0) {
            ErrorBeep();
            host_.ClearActivityMessage();
            ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                    QStringLiteral("Zapisano dane na wyświetlacz do drukarki"));
        } else if (code == 234) {
            // Sent twice: stored, but the daily report will not print it.
            ErrorBeep();
            host_.ClearActivityMessage();
            ShowBox(BoxKind::Warning, QStringLiteral("UWAGA"), ErrorMessageText(code));
        } else {
            host_.ShowErrorCode(code);
        }
    }
    host_.SetArrowCursor();
    host_.ClearActivityMessage();
}

void PexaSettingsMenu::EraseDisplayPicture() {
    host_.SetBusyCursor();
    const int32_t code = darvo::ops::EraseDisplayPicture();
    host_.SetArrowCursor();
    if (code != 0) {
        host_.ShowErrorCode(code);
    } else {
        ErrorBeep();
        ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                QStringLiteral("Skasowano informacje na wyświetlacz"));
    }
    host_.ClearActivityMessage();
}
