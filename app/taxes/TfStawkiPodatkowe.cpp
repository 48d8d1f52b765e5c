#include "taxes/TfStawkiPodatkowe.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/AppState.h"
#include "core/DriverText.h"

#include "darvodr.h"
#include "ops/Connection.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int32_t kCounterNotZero = 218;
constexpr double kHighestRate = 99.83;

QString RateError(const QString &text) {
    return QStringLiteral("Błąd w stawce podatkowej: ") + text;
}

// The field's text as a number of percent; empty counts as 0.
bool ParseRate(const QString &text, double &value) {
    QString t = text.trimmed();
    if (t.isEmpty()) t = QStringLiteral("0");
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value)) value = 0;
    return ok && std::isfinite(value);
}

QString PlainDecimal(double value) {
    return QString::number(value, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

QString RateDecimalText(int32_t value) {
    QString text = QString::number(value / 100);
    const int hundredths = std::abs(value % 100);
    if (hundredths != 0) {
        text += QLatin1Char(',') + QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
    }
    return text;
}

TfStawkiPodatkowe::TfStawkiPodatkowe(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fStawkiPodatkowe"), QStringLiteral("Stawki podatkowe")) {
    auto *rows = new QGridLayout;
    // Two whole digits, and the hundredths a rate such as 7,5 % carries.
    const QRegularExpression rateText(QStringLiteral("\\d{0,2}(,\\d{0,2})?"));
    for (int i = 0; i < kRates; ++i) {
        const QChar letter(QLatin1Char(static_cast<char>('A' + i)));
        auto *label = new QLabel(QStringLiteral("Stawka ") + letter, this);
        label->setObjectName(QStringLiteral("lStawka%1").arg(letter));
        me[i] = new QLineEdit(this);
        me[i]->setObjectName(QStringLiteral("me%1").arg(i + 1));
        me[i]->setMaxLength(5);
        me[i]->setValidator(new QRegularExpressionValidator(rateText, me[i]));
        me[i]->setFixedWidth(me[i]->fontMetrics().horizontalAdvance(QStringLiteral("99,99")) + 16);
        me[i]->installEventFilter(this);
        label->setBuddy(me[i]);
        cbR[i] = new QCheckBox(QStringLiteral("REZERWA"), this);
        cbR[i]->setObjectName(QStringLiteral("cb%1R").arg(i + 1));
        cbZ[i] = new QCheckBox(QStringLiteral("ZWOLNIONA"), this);
        cbZ[i]->setObjectName(QStringLiteral("cb%1Z").arg(i + 1));
        connect(cbR[i], &QCheckBox::toggled, this, [this, i](bool on) { MarkerToggled(i, true, on); });
        connect(cbZ[i], &QCheckBox::toggled, this, [this, i](bool on) { MarkerToggled(i, false, on); });
        rows->addWidget(label, i, 0);
        rows->addWidget(me[i], i, 1);
        rows->addWidget(cbR[i], i, 2);
        rows->addWidget(cbZ[i], i, 3);
        // A hidden field keeps its place in the row.
        QSizePolicy keep = me[i]->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        me[i]->setSizePolicy(keep);
    }
    Label8 = new QLabel(QStringLiteral("Czy wpisać stawki podatkowe?"), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    const TQuestionButtons buttons = MakeQuestionButtons(this);
    Button1 = buttons.yes;
    Button2 = buttons.no;
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addWidget(Label8);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfStawkiPodatkowe::FormActivate() {
    Button1->setEnabled(true);
    me[0]->setFocus();
}

void TfStawkiPodatkowe::FillRates(const std::array<int32_t, kRates> &rates) {
    for (int i = 0; i < kRates; ++i) {
        cbR[i]->setChecked(rates[i] == kReserve);
        cbZ[i]->setChecked(rates[i] == kExempt);
        const bool marker = rates[i] == kReserve || rates[i] == kExempt;
        me[i]->setText(marker ? QString() : RateDecimalText(rates[i]));
        me[i]->setVisible(!marker);
    }
}

void TfStawkiPodatkowe::MarkerToggled(int i, bool reserve, bool checked) {
    QCheckBox *other = reserve ? cbZ[i] : cbR[i];
    if (checked) {
        other->setChecked(false);
        me[i]->hide();
    } else if (!other->isChecked()) {
        me[i]->show();
    }
}

bool TfStawkiPodatkowe::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Only the user leaving the field, not a box or another window
        // taking the focus for a moment.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int i = 0; i < kRates; ++i)
                if (watched == me[i]) CheckField(i);
        }
    }
    return TDialog::eventFilter(watched, event);
}

void TfStawkiPodatkowe::CheckField(int i) {
    if (me[i]->text().trimmed().isEmpty()) me[i]->setText(QStringLiteral("0"));
    const QString text = me[i]->text();
    double value = 0;
    if (!ParseRate(text, value)) {
        ErrorBeep();
        ErrorBox(RateError(text));
        return;
    }
    if (value < 0 || value > kHighestRate) {
        ErrorBeep();
        ErrorBox(RateError(text) + QStringLiteral(" (stawka poza zakresem)"));
    }
}

bool TfStawkiPodatkowe::CollectValues(std::array<int32_t, kRates> &values) {
    for (int i = 0; i < kRates; ++i) {
        if (cbZ[i]->isChecked()) {
            values[i] = kExempt;
        } else if (cbR[i]->isChecked()) {
            values[i] = kReserve;
        } else {
            double v = 0;
            if (!ParseRate(me[i]->text(), v)) {
                ErrorBeep();
                ErrorBox(RateError(me[i]->text()));
                return false;
            }
            if (v < 0 || v > kHighestRate) {
                ErrorBeep();
                ErrorBox(RateError(PlainDecimal(v)) + QStringLiteral(" (stawka poza zakresem)"));
                return false;
            }
            values[i] = static_cast<int32_t>(std::lround(v * 100));
        }
    }
    return true;
}

void TfStawkiPodatkowe::Button1Click() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type, true)) return;
    std::array<int32_t, kRates> values{};
    if (!CollectValues(values)) return;
    if (collecting_) {
        collected_ = values;
        done(kYes);
        return;
    }
    WriteRates(values);
}

void TfStawkiPodatkowe::SetPrintersRates(const std::array<int32_t, kRates> &rates) {
    for (int i = 0; i < kRates; ++i)
        printers_[i] = static_cast<uint16_t>(rates[i]);
}

bool TfStawkiPodatkowe::CollectRates(std::array<int32_t, kRates> &rates) {
    FillRates(rates);
    collecting_ = true;
    const int result = ShowModal();
    collecting_ = false;
    if (result != kYes) return false;
    rates = collected_;
    return true;
}

void TfStawkiPodatkowe::WriteRates(const std::array<int32_t, kRates> &values) {
    bool unchanged = true;
    for (int i = 0; i < kRates; ++i)
        unchanged = unchanged && values[i] == printers_[i];
    if (unchanged) {
        host_.SetArrowCursor();
        ErrorBeep();
        ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                QStringLiteral("Stawki podatkowe nie uległy zmianie dlatego nie zostaną zapisane."));
        return;
    }
    int32_t code = 0;
    {
        TBusyScope busy(host_, {Button1});
        for (;;) {
            int32_t count = 0;
            code =
                SetVAT(&count, values[0], values[1], values[2], values[3], values[4], values[5], values[6]);
            if (code != kCounterNotZero) break;
            host_.SetArrowCursor();
            const BoxAnswer answer =
                ShowBox(BoxKind::Question, QStringLiteral("Odpowiedz"),
                        QStringLiteral("  Licznik paragonów jest różny od 0  \rCzy wykonać raport dobowy?"));
            if (answer != BoxAnswer::Yes) return;
            host_.SetBusyCursor();
            host_.ShowActivityMessage(QStringLiteral("Raport dobowy..."));
            // Paper out asks whether to resume; any other failure of the
            // report is shown before the rates are tried again.
            host_.ResumeAfterPaperOut(DailyReport(1), darvo::ops::IdentifiedType());
            host_.SetBusyCursor();
        }
    }
    if (code != 0) {
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        return;
    }
    accept();
    if (ShowRates) ShowRates();
}
