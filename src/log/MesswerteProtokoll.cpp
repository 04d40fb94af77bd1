#include "log/MesswerteProtokoll.h"

#include "core/AppState.h"
#include "core/Text.h"
#include "link/FrameReader.h"
#include "link/PortNumber.h"
#include "log/DataFileExport.h"
#include "log/MesswerteLayout.h"
#include "log/OperatorFieldColour.h"
#include "log/UnsavedRecordQuestion.h"
#include "log/VerdictView.h"
#include "store/StoreJudge.h"
#include "ui/ErrorBox.h"
#include "ui/Fonts.h"
#include "ui/LayoutFit.h"
#include "ui/WaitCursor.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <utility>

using namespace MeasurementLog;
using namespace MesswerteLayout;

namespace {

// The verdict stands in the free space between cmdRead and cmdSave.
constexpr int VerdictLeft = 2400;
constexpr int VerdictWidth = 1575;

// A value outside its limit: not the red of an empty operator field, not
// the green of a filled one.
const QColor OutsideColour{255, 192, 64};
const QColor PassColour{128, 255, 128};

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
    judge();
    // A limits file chosen or cleared in the settings counts for the reading shown.
    connect(&AppState::instance(), &AppState::changed, this, [this] {
        if (AppState::instance().limitsFile() != (m_limits ? m_limits->path() : QString()))
            judge();
    });
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

    // The menu bar's D, A, X and H stay free, so they work in here too.
    m_cmdRead = new QPushButton(QStringLiteral("Daten &lesen"), area);
    m_cmdRead->setObjectName(QStringLiteral("cmdRead"));
    m_cmdRead->setToolTip(QStringLiteral("Daten von Messgerät auslesen"));
    m_cmdRead->setAccessibleName(QStringLiteral("Daten lesen"));
    place(m_cmdRead, 240, ButtonTop, 2055, ButtonHeight);

    m_cmdSave = pictureButton(QStringLiteral("cmdSave"), QStringLiteral(":/images/save.png"),
                              QStringLiteral("Daten speichern"), Qt::Key_S);
    place(m_cmdSave, 4080, ButtonTop, PictureButtonWidth, ButtonHeight);
    m_cmdSave->setEnabled(false);

    m_cmdExit = pictureButton(QStringLiteral("cmdExit"), QStringLiteral(":/images/close.png"),
                              QStringLiteral("Exit"), Qt::Key_E);
    place(m_cmdExit, ExitLeft, ButtonTop, PictureButtonWidth, ButtonHeight);

    m_verdictField = new QLabel(area);
    m_verdictField->setObjectName(QStringLiteral("lblBewertung"));
    m_verdictField->setAccessibleName(QStringLiteral("Bewertung"));
    m_verdictField->setAlignment(Qt::AlignCenter);
    m_verdictField->setWordWrap(true);
    m_verdictField->setFrameShape(QFrame::Panel);
    m_verdictField->setFrameShadow(QFrame::Sunken);
    m_verdictField->setAutoFillBackground(true);
    place(m_verdictField, VerdictLeft, ButtonTop, VerdictWidth, ButtonHeight);

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
        if (i == TypeField)
            connect(edit, &QLineEdit::textChanged, this, &MesswerteProtokoll::judge);

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
    m_fields[TypeField]->setToolTip(QStringLiteral("Maschinentyp, bleibt für die nächste Messung"));
    m_fields[NumberField]->setToolTip(QStringLiteral("Nummer der Maschine"));
    m_fields[MarkField]->setToolTip(QStringLiteral("Visum des Prüfers"));
    fitCaptions(area);
    setTabOrder();

    connect(m_cmdRead, &QPushButton::clicked, this, &MesswerteProtokoll::readMeasurement);
    connect(m_cmdSave, &QPushButton::clicked, this, &MesswerteProtokoll::saveRecord);
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);

    // F5 reads, Ctrl+S saves when saving is available, wherever the focus is in here.
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, m_cmdRead,
            &QPushButton::click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this), &QShortcut::activated, m_cmdSave,
            &QPushButton::click);
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

bool MesswerteProtokoll::mayDropRecord()
{
    return !m_cmdSave->isEnabled() || UnsavedRecordQuestion::operatorDropsRecord(this);
}

void MesswerteProtokoll::closeEvent(QCloseEvent *event)
{
    if (!std::exchange(m_closeWithoutQuestion, false) && !mayDropRecord()) {
        event->ignore();
        return;
    }
    ChildWindow::closeEvent(event);
}

void MesswerteProtokoll::readMeasurement()
{
    if (!mayDropRecord())
        return;
    for (int i = NumberField; i < FieldCount; ++i)
        m_fields[std::size_t(i)]->clear();
    m_cmdSave->setEnabled(false);
    m_record.reset();
    judge();

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
    m_record = view.record;
    judge();
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
        return DataFileExport::save(state.dataFile(), state.dataTrenner(), fields, state.regionalFormat(),
                                    verdictColumns(m_verdict, state.verdictColumns()));
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
        // Without a limits file nothing was judged: no verdict, not "none".
        return m_results.save(m_frame, m_readTime, fields, state.dataFile(),
                              m_limits ? StoreJudge::fromVerdict(m_verdict) : StoreVerdict{});
    }();
    state.setMaschinenTyp(trimBlanks(m_fields[TypeField]->text()));
    state.setLastReadOutcome(savedStatusText(QTime::currentTime(), m_fields[TypeField]->text(),
                                             m_fields[NumberField]->text(), state.dataFile()));
    state.noteRecordSaved();
    m_cmdSave->setEnabled(false);
    m_saved = true;
    m_cmdRead->setFocus(Qt::OtherFocusReason);
    // After the status bar's text of the save, whatever it says.
    if (!storeNote.isEmpty())
        state.setLastReadOutcome(state.lastReadOutcome() + QStringLiteral("; ") + storeNote);
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

void MesswerteProtokoll::judge()
{
    const QString path = AppState::instance().limitsFile();
    // Without a limits file the window is as it always was.
    m_verdictField->setVisible(!path.isEmpty());
    if (path.isEmpty())
        m_limits.reset();
    else if (!m_limits || m_limits->path() != path)
        m_limits.emplace(path);
    m_verdict = {};
    if (!m_limits || !m_record) {
        showVerdict(nullptr);
        return;
    }
    m_verdict = Verdict::judge(m_limits->table(), m_fields[TypeField]->text(), *m_record);
    const VerdictView view = VerdictView::of(m_verdict, *m_record);
    showVerdict(&view);
}

void MesswerteProtokoll::showVerdict(const VerdictView *view)
{
    for (int i = 0; i < VerdictView::FieldCount; ++i) {
        QLineEdit *edit = m_fields[std::size_t(FirstMeasuredField + i)];
        const bool marked = view && view->marked[std::size_t(i)];
        QPalette palette; // nothing set: the window's own colours
        if (marked) {
            palette.setColor(QPalette::Base, OutsideColour);
            palette.setColor(QPalette::Text, Qt::black);
        }
        edit->setPalette(palette);
        edit->setToolTip(view ? view->fieldToolTips[std::size_t(i)] : QString());
        edit->setAccessibleDescription(marked ? QStringLiteral("außerhalb der Grenze; ") + edit->toolTip()
                                              : QString());
    }

    m_verdictField->setText(view ? view->text : QString());
    m_verdictField->setToolTip(view ? view->toolTip : QString());
    m_verdictField->setAccessibleDescription(m_verdictField->toolTip());
    const bool judged = view && (view->kind == Verdict::Kind::Pass || view->kind == Verdict::Kind::Fail);
    m_verdictField->setFont(arialFont(judged ? 14 : 8.25, true));
    QPalette palette;
    if (view && view->kind == Verdict::Kind::Pass)
        palette.setColor(QPalette::Window, PassColour);
    else if (view && view->kind == Verdict::Kind::Fail)
        palette.setColor(QPalette::Window, OutsideColour);
    if (judged)
        palette.setColor(QPalette::WindowText, Qt::black);
    m_verdictField->setPalette(palette);
}
