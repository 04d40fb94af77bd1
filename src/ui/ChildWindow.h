#pragma once

#include <QMdiSubWindow>

class QLabel;
class QPushButton;
class WindowListBar;

// Base of the work windows inside the main window's frame. It carries what
// they all share: registering with the window-list bar at load, reporting
// activation, the resize step when minimised, leaving the bar when closed,
// and placing controls at their positions in twips.
class ChildWindow : public QMdiSubWindow
{
    Q_OBJECT
public:
    explicit ChildWindow(const QString &objectName, const QString &caption, QWidget *parent = nullptr);

    // The area the controls are placed on.
    [[nodiscard]] QWidget *client() const { return m_client; }

signals:
    // Emitted when the window goes, before its deferred deletion.
    void closing();

protected:
    // Window size from the close button: width = left + width + 230,
    // height = top + height + 500 (twips); also the smallest size it takes.
    void sizeFromExitButton(int left, int top, int width, int height);
    static void place(QWidget *control, int left, int top, int width, int height);
    // Caption label beside an input: buddy and accessible name follow the caption.
    static void setBuddyCaption(QLabel *caption, QWidget *input);
    // A button on the client area showing a picture instead of a caption;
    // its tool tip names it, also for screen readers. Alt with accessKey (a
    // letter) presses it, as an underlined caption letter would; the tool
    // tip says so: "Daten speichern (Alt+S)". Without accessKey the tool tip
    // stands as given (a caption's key may lead to the button).
    [[nodiscard]] QPushButton *pictureButton(const QString &name, const QString &image,
                                             const QString &toolTip, Qt::Key accessKey = Qt::Key_unknown);
    // A label on the client area at its place in twips.
    QLabel *addLabel(const QString &name, const QString &text, const QRect &twips);
    // An input at its place, with the caption label beside it as buddy and name.
    template <class Input> Input *addInput(const QString &name, QLabel *caption, const QRect &twips)
    {
        auto *input = named(new Input(m_client), name);
        place(input, twips.x(), twips.y(), twips.width(), twips.height());
        setBuddyCaption(caption, input);
        return input;
    }
    template <class Control> static Control *named(Control *control, const QString &name)
    {
        control->setObjectName(name);
        return control;
    }

    void closeEvent(QCloseEvent *event) override;

private:
    void onStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    void resizeStep();
    [[nodiscard]] static WindowListBar *bar();

    QWidget *m_client;
};
