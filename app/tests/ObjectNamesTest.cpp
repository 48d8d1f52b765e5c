// The object names of every window and of its named children: outside tools
// and tests find widgets by them, so a rename fails here first. (The menu's
// names are checked with its captions in the main window's test.)
#include "AppFixture.h"

#include <QDialog>
#include <map>

using namespace apptest;

namespace {

// The names of the window's named descendants that are not in a window of
// their own, sorted, joined by blanks; the toolkit's own names are left out.
QString NamedChildren(QObject *window) {
    QStringList names;
    std::function<void(QObject *)> walk = [&](QObject *o) {
        for (QObject *child : o->children()) {
            if (child->isWidgetType() && static_cast<QWidget *>(child)->isWindow()) continue;
            const QString name = child->objectName();
            if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && !name.startsWith('_'))
                names << name;
            walk(child);
        }
    };
    walk(window);
    names.sort();
    return names.join(' ');
}

class ObjectNames : public AppTest {};

TEST_F(ObjectNames, EveryWindowAndItsNamedChildren) {
    const std::map<QString, QString> expected = {
        {"GlowneOkno", "ActivityArea menuGlowne pbFiskal sb sbPanel0 sbPanel1"},
        {"AboutBox", "Comments Copyright OKButton ProductName ProgramIcon Version lWersja"},
        {"Komunikacja", "Button1 Label1 cbNumerPortu rgPredkosc"},
        {"fBajtyStatusu", "bOK mStatusy tStatus"},
        {"fDaneUzytkownika",
         "Button2 Button3 CB2 L4 L5 Label2 Label3 Label4 Label5 Label6 Label7 Label8 bOdczytPlik bWydrKontr "
         "bZapisPlik cb1 cb3 cb4 cb5 cb6 cbWys1 cbWys2 cbWys3 cbWys4 cbWys5 l1 l2 l3 l6 rg1 rg2 rg3 rg4 rg5 "
         "rg6 "
         "rgTyp"},
        {"fDataEuroPrzeglad", "bOdczyt bZapis dtDate"},
        {"fDataGodzina", "bOK lCzas lData tZegar"},
        {"fDataINumer", "Label1 Label2 Label3 bNie bTak db meNumer"},
        {"fIloscWierszy", "Button1 Button2 Label2 seIloscWierszy"},
        {"fNumerKasy", "Button1 Button2 Label3 eKod seNrKasy"},
        {"fNumerUnikatowy", "bOK lNumerUnikatowy"},
        {"fOdczytStawek", "Label1 Label2 Label3 Label4 Label5 Label6 Label7 bOK"},
        {"fOkresoweMiesieczne", "bNie bTak lPytanie seMiesiac seRok"},
        {"fOkresoweWgNumerow", "bNie bTak lPytanie seDo seOd"},
        {"fPrzestawianie", "Button1 Button2 Label1 Label2 meZegar"},
        {"fRaportyOkresoweWgDat", "bNie bTak dtDo dtOd lPytanie"},
        {"fReklama", "bZapis"},
        {"fReklamaOdczyt", "bOK iBitmapa"},
        {"fSposobZaokraglania", "Button1 Button2 Label1 rgZaokraglanie"},
        {"fStawkiPodatkowe",
         "Button1 Button2 Label8 cb1R cb1Z cb2R cb2Z cb3R cb3Z cb4R cb4Z cb5R cb5Z cb6R cb6Z cb7R cb7Z "
         "lStawkaA "
         "lStawkaB lStawkaC lStawkaD lStawkaE lStawkaF lStawkaG me1 me2 me3 me4 me5 me6 me7"},
        {"fTekstyReklamowe", "bKasowanie bOdczyt bZapis cb1 cb2 cb3 l1 l2 l3"},
        {"fTestWyswietlacza", "ITest3 ITest4 Label1 bOK iTest1 iTest2 iTest3Neg iTest4Neg"},
        {"fUstawZegar", "Button1 Button2 Label1 Label2 Label3 Label4 dtDate meZegar pbZegar"},
        {"fUstawienia",
         "bDomyslne bOdczyt bZapis cbTimeout rgSposobWyswietlenia rgStronaKodowa rgSzybkosc rgWydruk rgZera "
         "seCzasWyl seGlosnosc seKontrast seLinie sePodsw seReklama"},
    };
    std::map<QString, QString> actual{{GlowneOkno->objectName(), NamedChildren(GlowneOkno)}};
    for (QObject *child : GlowneOkno->children())
        if (auto *dialog = qobject_cast<QDialog *>(child))
            actual[dialog->objectName()] = NamedChildren(dialog);
    for (const auto &[window, names] : expected)
        EXPECT_EQ(names, actual[window]) << window.toStdString();
    EXPECT_EQ(expected.size(), actual.size());
}

} // namespace
