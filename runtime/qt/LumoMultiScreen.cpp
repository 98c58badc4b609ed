#include "runtime/qt/LumoMultiScreen.h"

#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "runtime/qt/ComponentWalk.h"

#include <QApplication>
#include <QEvent>
#include <algorithm>

namespace lex {

void TScreen::SetActiveForm(QWidget* Form) {
    if (Form == activeForm_) return;
    activeForm_ = Form;
    if (OnActiveFormChange) OnActiveFormChange(*this);
}

bool TScreen::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::WindowActivate && Watched->isWidgetType() &&
        static_cast<QWidget*>(Watched)->isWindow()) {
        // Qt's event loop cannot carry an exception: show it and carry on,
        // as an action that fails does.
        try {
            SetActiveForm(QApplication::activeWindow());
        } catch (const EAbort&) {
        } catch (const std::exception& error) {
            ShowMessageBox(QApplication::activeWindow(), error.what(), "Error",
                           MB_OK | MB_ICONERROR);
        }
    }
    return QObject::eventFilter(Watched, Event);
}

TScreen& Screen() {
    static QPointer<TScreen> screen;
    if (!screen) {
        screen = new TScreen(qApp);
        qApp->installEventFilter(screen);
        screen->SetActiveForm(QApplication::activeWindow());
    }
    return *screen;
}

TLumoMultiScreenEye::TLumoMultiScreenEye(QObject* Parent, TScreen* ScreenObject)
    : QObject(Parent), screen_(ScreenObject ? *ScreenObject : Screen()) {}

TLumoMultiScreenEye::~TLumoMultiScreenEye() {
    if (watching_) StopWatching();
}

void TLumoMultiScreenEye::StartWatching() {
    FOldActiveFormChange = std::move(screen_.OnActiveFormChange);
    screen_.OnActiveFormChange = [this](TScreen& Sender) { ActiveFormChange(Sender); };
    watching_ = true;
}

void TLumoMultiScreenEye::StopWatching() {
    screen_.OnActiveFormChange = std::move(FOldActiveFormChange);
    FOldActiveFormChange = nullptr;
    watching_ = false;
}

void TLumoMultiScreenEye::ActiveFormChange(TScreen& Sender) {
    if (FOldActiveFormChange) FOldActiveFormChange(Sender);
    DoTranslateForm(Sender.ActiveForm(), true);
}

void TLumoMultiScreenEye::SetCodePage(std::string_view CodePage) {
    DefaultReplaceOption.CodePage = CodePage;
    for (int d = 0; d < ReplaceData.Count(); ++d) {
        TMultiReplaceForms& forms = ReplaceData[d].ReplaceForms;
        for (int f = 0; f < forms.Count(); ++f) {
            forms[f].ReplaceOption.CodePage = CodePage;
            TMultiReplaceComs2& coms = forms[f].ReplaceComs;
            for (int c = 0; c < coms.Count(); ++c)
                coms[c].ReplaceOption.CodePage = CodePage;
        }
    }
}

void TLumoMultiScreenEye::TranslateForm(QWidget* Form) {
    DoTranslateForm(Form, false);
}

bool TLumoMultiScreenEye::Replaced(const QObject* Form) const {
    return std::binary_search(FReplacedForms.begin(), FReplacedForms.end(), Form);
}

void TLumoMultiScreenEye::DoTranslateForm(QWidget* Form, bool Activation) {
    if (!Form || Replaced(Form)) return;

    const TMultiReplaceForm* item = nullptr;
    if (const TMultiReplaceDatum* datum = ReplaceData.FindFormClass(FormClassName(*Form))) {
        const std::optional<std::string> name = ComponentName(*Form);
        if (name) item = datum->ReplaceForms.FindFormName(*name);
        if (!item) item = datum->ReplaceForms.FindFormName("Self");
    }

    // The events may close the form; a form gone is not entered.
    const QPointer<QWidget> alive(Form);
    bool replace = item || !Activation || ReplaceNotRegister;
    if (replace && OnBeforeReplace) OnBeforeReplace(*this, Form, replace);
    if (!replace || !alive) return;
    if (item)
        item->ApplyTo(Form);
    else
        ReplaceForm(DefaultReplaceOption.LexName, Form, DefaultReplaceOption);

    if (OnAfterReplace) OnAfterReplace(*this, Form);
    if (!alive) return;
    const QObject* form = Form;
    // Forgets the form when it goes, so that a new window at the same
    // address is translated again.
    connect(Form, &QObject::destroyed, this, [this](QObject* Gone) {
        const auto at = std::lower_bound(FReplacedForms.begin(), FReplacedForms.end(), Gone);
        if (at != FReplacedForms.end() && *at == Gone) FReplacedForms.erase(at);
    });
    FReplacedForms.insert(std::lower_bound(FReplacedForms.begin(), FReplacedForms.end(), form),
                          form);
}

} // namespace lex
