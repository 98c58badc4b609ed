#pragma once

#include "runtime/qt/MultiReplaceData.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string_view>
#include <vector>

namespace lex {

class TScreen;
using TActiveFormChangeEvent = std::function<void(TScreen& Sender)>;

// The application's active form and the one handler told when it changes.
// Whoever takes the handler over keeps the previous one and calls it, so
// several watchers chain through the single slot.
class TScreen : public QObject {
    Q_OBJECT

public:
    explicit TScreen(QObject* Parent = nullptr) : QObject(Parent) {}

    QWidget* ActiveForm() const { return activeForm_; }
    // Fires OnActiveFormChange when Form differs from the active form.
    void SetActiveForm(QWidget* Form);

    TActiveFormChangeEvent OnActiveFormChange;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QPointer<QWidget> activeForm_;
};

// The screen of the running QApplication, following its active window: a
// window that Qt activates becomes the active form. Created on first use, as
// a child of the application, so it needs one.
TScreen& Screen();

class TLumoMultiScreenEye;
using TBeforeReplaceFormEvent =
    std::function<void(TLumoMultiScreenEye& Sender, QWidget* AForm, bool& Replace)>;
using TAfterReplaceFormEvent = std::function<void(TLumoMultiScreenEye& Sender, QWidget* AForm)>;

// Translates each form once in its life, when it first becomes active (or
// when asked), with the settings of its class and name, or with the default
// ones. Destroying an eye that watches puts the screen's previous handler
// back.
class TLumoMultiScreenEye : public QObject {
    Q_OBJECT

public:
    // Watches ScreenObject, the application's screen unless told otherwise;
    // the screen must outlive the eye.
    explicit TLumoMultiScreenEye(QObject* Parent = nullptr, TScreen* ScreenObject = nullptr);
    ~TLumoMultiScreenEye() override;

    bool ReplaceNotRegister = true; // forms without settings get the default
    TMultiReplaceOption DefaultReplaceOption;
    TMultiReplaceData ReplaceData;
    TBeforeReplaceFormEvent OnBeforeReplace;
    TAfterReplaceFormEvent OnAfterReplace;

    virtual void StartWatching();
    virtual void StopWatching();
    // The code page of every option the eye holds.
    virtual void SetCodePage(std::string_view CodePage);
    void TranslateForm(QWidget* Form);
    bool Replaced(const QObject* Form) const;

protected:
    // Activation says whether the form became active or was passed directly:
    // only the first translates a form without settings by ReplaceNotRegister.
    void DoTranslateForm(QWidget* Form, bool Activation);

private:
    void ActiveFormChange(TScreen& Sender);

    TScreen& screen_;
    bool watching_ = false;
    TActiveFormChangeEvent FOldActiveFormChange;
    std::vector<const QObject*> FReplacedForms; // sorted
};

} // namespace lex
