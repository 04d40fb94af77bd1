#include "diag/Debuggen.h"

#include "config/ComPorts.h"
#include "config/PortList.h"
#include "config/PortMap.h"
#include "core/AppState.h"
#include "diag/InspectorList.h"
#include "diag/InspectorRows.h"
#include "diag/ListviewColResize.h"
#include "link/FrameReader.h"
#include "ui/ErrorBox.h"
#include "ui/Fonts.h"
#include "ui/LayoutFit.h"
#include "ui/WaitCursor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTime>
#include <QTreeWidget>

Debuggen::Debuggen(QWidget *parent)
    : ChildWindow(QStringLiteral("Debuggen"), QStringLiteral("Debuggen"), parent)
{
    const WaitCursor wait;
    sizeFromExitButton(9000, 5640, 855, 735);
    createControls();

    // One look at the system's devices serves the list and the first warning.
    const PortMap map = PortMap::current();
    {
        // Filling and choosing would run the port check (and its look at the
        // devices) for every step; it runs once below instead.
        const QSignalBlocker quiet(m_cmbPort);
        FillPortList(m_cmbPort, 16, false, map);
        m_cmbPort->setCurrentIndex(m_cmbPort->count() > 0 ? 0 : -1);
        if (const int configured =
                m_cmbPort->findText(AppState::instance().schnittstelle(), Qt::MatchFixedString);
            configured >= 0)
            m_cmbPort->setCurrentIndex(configured);
    }
    fitToEntries(m_cmbPort);
    fitCaptions(client());
    // Choosing the entry that is already current emits nothing; the warning
    // must still match the final choice.
    showPortWarning(map);
}

void Debuggen::createControls()
{
    QWidget *area = client();

    addLabel(QStringLiteral("Label2"), QStringLiteral("Debuggen"), {120, 120, 2415, 495})
        ->setFont(arialFont(20.25, true));
    addLabel(
        QStringLiteral("Label1"),
        QStringLiteral("Auslesen der Schnittstelle und Anzeigen der empfangenen Daten, Byte für Byte..."),
        {120, 720, 9375, 375})
        ->setFont(arialFont(9.75, true));

    m_fieldList = named(new QTreeWidget(area), QStringLiteral("ListView1"));
    m_fieldList->setRootIsDecorated(false);
    m_fieldList->setHeaderLabels({QStringLiteral("Datenfeld"), QStringLiteral("Bytes"), QStringLiteral("Hex"),
                                  QStringLiteral("Dez"), QStringLiteral("Beschreibung")});
    m_fieldList->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    for (const int column : {0, 2, 3, 4})
        m_fieldList->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
    m_fieldList->setAccessibleName(QStringLiteral("Empfangene Datenfelder"));
    place(m_fieldList, 120, 1200, 9735, 3495);

    QLabel *label4 = addLabel(QStringLiteral("Label4"), QStringLiteral("Hex:"), {120, 4800, 375, 255});
    m_hexBytes = addInput<QLineEdit>(QStringLiteral("Text1"), label4, {600, 4800, 9255, 285});
    m_hexBytes->setReadOnly(true);

    // "Hex:" has no letter of its own: H and X belong to the menu bar, E to Exit.
    QLabel *label5 = addLabel(QStringLiteral("Label5"), QStringLiteral("De&z:"), {120, 5160, 375, 255});
    m_decimalBytes = addInput<QLineEdit>(QStringLiteral("Text2"), label5, {600, 5160, 9255, 285});
    m_decimalBytes->setReadOnly(true);

    m_cmdRead = named(new QPushButton(QStringLiteral("Daten &lesen"), area), QStringLiteral("cmdRead"));
    m_cmdRead->setToolTip(QStringLiteral("Daten von der gewählten Schnittstelle auslesen"));
    m_cmdRead->setAccessibleName(QStringLiteral("Daten lesen"));
    m_cmdRead->setAutoDefault(true);
    place(m_cmdRead, 120, 5640, 2055, 735);
    connect(m_cmdRead, &QPushButton::clicked, this, &Debuggen::readData);

    QLabel *label3 = addLabel(QStringLiteral("Label3"), QStringLiteral("&Wahl der Schnittstelle:"),
                              {3480, 5640, 1695, 255});
    m_cmbPort = addInput<QComboBox>(QStringLiteral("cmbPort"), label3, {5160, 5640, 855, 315});
    m_cmbPort->setToolTip(QStringLiteral("Schnittstelle, die ausgelesen wird"));
    connect(m_cmbPort, &QComboBox::currentIndexChanged, this, &Debuggen::portChoice);
    // Choosing the same entry again looks again: the device may have come or gone.
    connect(m_cmbPort, &QComboBox::activated, this, &Debuggen::portChoice);

    m_portUnknownWarning = addLabel(QStringLiteral("Label6"),
                                    QStringLiteral("ACHTUNG: Schnittstelle im System nicht bekannt!!!"),
                                    {2760, 6000, 4455, 255});
    m_portUnknownWarning->setFont(arialFont(8.25, true));

    m_cmdExit = pictureButton(QStringLiteral("cmdExit"), QStringLiteral(":/images/close.png"),
                              QStringLiteral("Exit"), Qt::Key_E);
    place(m_cmdExit, 9000, 5640, 855, 735);
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);

    // F5 reads, wherever the focus is in here.
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, m_cmdRead,
            &QPushButton::click);
}

void Debuggen::portChoice()
{
    showPortWarning(PortMap::current());
}

void Debuggen::showPortWarning(const PortMap &map)
{
    const int index = m_cmbPort->currentIndex();
    const bool known = index >= 0 && PortExists(m_cmbPort->itemText(index), map);
    m_portUnknownWarning->setVisible(!known);
}

void Debuggen::readData()
{
    m_hexBytes->clear();
    m_decimalBytes->clear();
    m_fieldList->clear();

    // The entry's position is the port number; the configured port plays no part.
    const int portNumber = m_cmbPort->currentIndex() + 1;
    ReadResult result;
    {
        const WaitCursor wait;
        result = readFrame(portNumber, AppState::instance().demoModus());
    }
    AppState::instance().setLastReadOutcome(inspectorStatusText(result, QTime::currentTime()));
    // When it is the configured port, the status bar learns what the read found.
    AppState::instance().notePortRead(portNumber, result.devicePath, result.deviceFound());
    if (result.outcome != ReadOutcome::Received) {
        showErrorBox(result.message, this);
        return;
    }

    const InspectorView view =
        inspectReception(result.buffer.received(), AppState::instance().regionalFormat());
    m_hexBytes->setText(view.hexList);
    m_decimalBytes->setText(view.decimalList);
    // A long reception shows from its first byte on.
    m_hexBytes->setCursorPosition(0);
    m_decimalBytes->setCursorPosition(0);
    for (const InspectorRow &row : view.rows)
        AddListItem(m_fieldList, row.zeile, row.datenfeld, row.bytes, row.hex, row.dez, row.beschreibung);
    ResizeAllColumns(m_fieldList, ColumnWidth::AutoSizeUseHeader);
}
