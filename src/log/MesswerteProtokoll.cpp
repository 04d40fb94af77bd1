#include "log/MesswerteProtokoll.h"

#include "core/AppState.h"
#include "core/Text.h"
#include "link/FrameReader.h"
#include "link/PortNumber.h"
#include "log/DataFileExport.h"
#include "log/OperatorFieldColour.h"
#include "ui/ErrorBox.h"
#include "ui/Fonts.h"
#include "ui/LayoutFit.h"
#include "ui/WaitCursor.h"

#include <QDateTime>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

using namespace MeasurementLog;

namespace {

// Caption, unit and place (twips) of each field; field 10 shares field 9's caption.
struct FieldLayout
{
    const char *caption;
    const char *unit;
    int left;
    int top;
    int width;
};

constexpr std::array<FieldLayout, FieldCount> Layout{{
    {"Typ:", nullptr, 1440, 720, 5775},
    {"Nummer:", nullptr, 1440, 1080, 5775},
    {"Polzahl:", nullptr, 2520, 1560, 975},
    {"Drehzahl:", "rpm", 2520, 1920, 975},
    {"Spannungskonstante:", "V/krpm", 2520, 2280, 975},
    {"Spannung:", "V   (Phase-Phase)", 2520, 2640, 975},
    {"elektrischer Winkel:", "°", 2520, 3000, 975},
    {"mechanischer Winkel:", "°", 2520, 3360, 975},
    {"Geberzähne:", nullptr, 2520, 3720, 975},
    {"Datum / Zeit:", nullptr, 2520, 4200, 1575},
    {nullptr, nullptr, 4320, 4200, 1575},
    {"Visum:", nullptr, 2520, 4560, 3375},
}};

constexpr int FieldHeight = 375;
constexpr int LabelLeft = 240;
constexpr int LabelHeight = 255;
constexpr int UnitLeft = 3600;
constexpr int UnitWidth = 3000;

// Where cmdExit stands; the window is sized from it.
constexpr int ExitLeft = 6480;
constexpr int ButtonTop = 5160;
constexpr int PictureButtonWidth = 855;
constexpr int ButtonHeight = 735;

} // namespace

MesswerteProtokoll::MesswerteProtokoll(QWidget *parent)
    : ChildWindow(QStringLiteral("MesswerteProtokoll"),
                  QStringLiteral("Daten lesen von: ") + AppState::instance().schnittstelle(), parent)
{
    const WaitCursor waitCursor;
    createControls();
    sizeFromExitButton(ExitLeft, ButtonTop, PictureButtonWidth, ButtonHeight);
    // The title keeps this port even when the settings change later.
    m_fields[TypeField]->setText(AppState::instance().maschinenTyp());
    m_saved = true;
    // After the window is up: a store locked by another program may wait 2 s.
    QTimer::singleShot(0, this, &MesswerteProtokoll::catchUpResults);
}

QLineEdit *MesswerteProtokoll::field(int index) const
{
    return index >= 0 && index < FieldCount ? m_fields[std::size_t(index)] : nullptr;
}

void MesswerteProtokoll::createControls()
{
    QWidget *area = client();

    auto *title = new QLabel(QStringLiteral("Messwerte protokollieren"), area);
    title->setObjectName(QStringLiteral("Label2"));
    title->setFont(arialFont(20.25, true));
    place(title, 120, 120, 7215, 495);

    m_cmdRead = new QPushButton(QStringLiteral("Daten lesen"), area);
    m_cmdRead->setObjectName(QStringLiteral("cmdRead"));
    m_cmdRead->setToolTip(QStringLiteral("Daten von Messgerät auslesen"));
    m_cmdRead->setAccessibleName(m_cmdRead->text());
    place(m_cmdRead, 240, ButtonTop, 2055, ButtonHeight);

    m_cmdSave = pictureButton(QStringLiteral("cmdSave"), QStringLiteral(":/images/save.png"),
                              QStringLiteral("Daten speichern"));
    place(m_cmdSave, 4080, ButtonTop, PictureButtonWidth, ButtonHeight);
    m_cmdSave->setEnabled(false);

    m_cmdExit = pictureButton(QStringLiteral("cmdExit"), QStringLiteral(":/images/close.png"),
                              QStringLiteral("Exit"));
    place(m_cmdExit, ExitLeft, ButtonTop, PictureButtonWidth, ButtonHeight);

    // As on the bench's Windows machines, Enter on a focused button presses it.
    for (QPushButton *button : {m_cmdRead, m_cmdSave, m_cmdExit})
        button->setAutoDefault(true);

    const QFont fieldFont = arialFont(9.75, true);
    const QFont unitFont = arialFont(9.75);
    for (int i = 0; i < FieldCount; ++i) {
        const FieldLayout &row = Layout[std::size_t(i)];
        auto *edit = new QLineEdit(area);
        edit->setObjectName(QStringLiteral("lblDaten%1").arg(i));
        edit->setFont(fieldFont);
        place(edit, row.left, row.top, row.width, FieldHeight);
        // Measured values are not the operator's to change before saving.
        edit->setReadOnly(i >= FirstMeasuredField && i <= TimeField);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &MesswerteProtokoll::checkOperatorFields);
        connect(edit, &QLineEdit::textEdited, edit, [edit](const QString &text) {
            const QString single = DataFileExport::withoutLineBreaks(text);
            if (single != text)
                edit->setText(single);
        });
        m_fields[std::size_t(i)] = edit;

        if (row.caption) {
            auto *caption = new QLabel(QString::fromUtf8(row.caption), area);
            caption->setObjectName(QStringLiteral("Label1_%1").arg(i));
            caption->setFont(fieldFont);
            place(caption, LabelLeft, row.top, row.left - LabelLeft, LabelHeight);
            setBuddyCaption(caption, edit);
        }
        if (row.unit) {
            auto *unit = new QLabel(QString::fromUtf8(row.unit), area);
            unit->setObjectName(QStringLiteral("Label3_%1").arg(i));
            unit->setFont(unitFont);
            place(unit, UnitLeft, row.top, UnitWidth, LabelHeight);
        }
    }
    m_fields[TimeField]->setAccessibleName(QStringLiteral("Zeit"));
    fitCaptions(area);
    setTabOrder();

    connect(m_cmdRead, &QPushButton::clicked, this, &MesswerteProtokoll::readMeasurement);
    connect(m_cmdSave, &QPushButton::clicked, this, &MesswerteProtokoll::saveRecord);
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void MesswerteProtokoll::setTabOrder()
{
    // The operator's way first, then the measured values.
    QList<QWidget *> order{m_cmdRead,           m_fields[TypeField], m_fields[NumberField],
                           m_fields[MarkField], m_cmdSave,           m_cmdExit};
    for (int i = FirstMeasuredField; i <= TimeField; ++i)
        order.append(m_fields[std::size_t(i)]);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

bool MesswerteProtokoll::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit)
        return ChildWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        edit->selectAll();
        // The press that gave the focus puts the cursor afterwards; select again after it.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        break;
    case QEvent::FocusOut:
        checkOperatorFields();
        break;
    default:
        break;
    }
    return ChildWindow::eventFilter(watched, event);
}

void MesswerteProtokoll::checkOperatorFields()
{
    for (const int index : OperatorFields) {
        QLineEdit *edit = m_fields[std::size_t(index)];
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, operatorFieldColour(edit->text()));
        edit->setPalette(palette);
    }
    m_cmdSave->setEnabled(saveAvailable(m_saved, m_fields[TypeField]->text(), m_fields[NumberField]->text(),
                                        m_fields[MarkField]->text()));
}

void MesswerteProtokoll::readMeasurement()
{
    for (int i = NumberField; i < FieldCount; ++i)
        m_fields[std::size_t(i)]->clear();
    m_cmdSave->setEnabled(false);

    // The port as the settings say now, not as the title says.
    const AppState &state = AppState::instance();
    const int portNumber = portNumberFromName(state.schnittstelle());
    const ReadResult result = readFrame(portNumber, state.demoModus());
    AppState::instance().notePortRead(portNumber, result.devicePath, result.deviceFound());
    const QDateTime readTime = QDateTime::currentDateTime();
    const ReadView view = evaluateRead(result, readTime, state.regionalFormat());
    AppState::instance().setLastReadOutcome(view.statusText);
    if (!view.valid) {
        // Whatever was shown before is gone, so nothing waits to be saved.
        m_saved = true;
        showErrorBox(view.message, this);
        return;
    }

    m_saved = false;
    m_frame = result.buffer;
    m_readTime = readTime;
    for (qsizetype i = 0; i < view.measuredTexts.size(); ++i) {
        QLineEdit *edit = m_fields[std::size_t(FirstMeasuredField + i)];
        edit->setText(view.measuredTexts[i]);
        // A value too long for its narrow field shows its start, sign first.
        edit->setCursorPosition(0);
    }
    checkOperatorFields();
    // One step on from the read button, as Tab goes: the type field.
    m_cmdRead->setFocus(Qt::OtherFocusReason);
    focusNextChild();
}

void MesswerteProtokoll::saveRecord()
{
    AppState &state = AppState::instance();
    const QStringList fields = fieldTexts();
    const DataFileExport::AppendResult result = [&] {
        // The save may wait up to 2 s for another bench that holds the file.
        const WaitCursor waitCursor;
        return DataFileExport::save(state.dataFile(), state.dataTrenner(), fields, state.regionalFormat());
    }();
    if (!result.ok) {
        // The record stays unsaved and can be saved again once the cause is gone.
        showErrorBox(saveFailureMessage(state.dataFile(), result.reason), this);
        return;
    }
    // The data file has the record: the save counts whatever the store says.
    const QString storeNote = [&] {
        const WaitCursor waitCursor;
        m_results.use(storeSetup());
        return m_results.save(m_frame, m_readTime, fields, state.dataFile(), StoreVerdict{});
    }();
    if (!storeNote.isEmpty())
        state.setLastReadOutcome(state.lastReadOutcome() + QStringLiteral("; ") + storeNote);
    state.setMaschinenTyp(trimBlanks(m_fields[TypeField]->text()));
    state.noteRecordSaved();
    m_cmdSave->setEnabled(false);
    m_saved = true;
    m_cmdRead->setFocus(Qt::OtherFocusReason);
}

void MesswerteProtokoll::catchUpResults()
{
    m_results.use(storeSetup());
    if (const QString note = m_results.catchUp(); !note.isEmpty()) {
        AppState &state = AppState::instance();
        const QString shown = state.lastReadOutcome();
        state.setLastReadOutcome(shown.isEmpty() ? note : shown + QStringLiteral("; ") + note);
    }
}

StoreSetup MesswerteProtokoll::storeSetup()
{
    const AppState &state = AppState::instance();
    return StoreSetup{state.resultsFile(), state.bench()};
}

QStringList MesswerteProtokoll::fieldTexts() const
{
    QStringList texts;
    texts.reserve(FieldCount);
    for (const QLineEdit *edit : m_fields)
        texts.append(edit->text());
    return texts;
}
