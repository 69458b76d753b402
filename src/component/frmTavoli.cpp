#include "component/frmTavoli.h"

#include "component/FormRegistry.h"
#include "component/layout/EditMode.h"
#include "component/operations/ChangeNotifier.h"
#include "component/operations/LineEditing.h"
#include "component/operations/MoveOrder.h"
#include "component/operations/OperationCommands.h"
#include "component/platform/Twips.h"
#include "component/tablemap/MapLook.h"
#include "component/tablemap/NotificationReceiver.h"
#include "component/tablemap/ReceiptPanel.h"
#include "component/tablemap/RoomBar.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/Lookups.h"
#include "core/settings/SharedState.h"
#include "core/settings/mdlFunzioniIni.h"
#include "core/tablemap/MapClock.h"
#include "core/tablemap/MapFormats.h"
#include "core/tablemap/MapGeometry.h"
#include "core/tablemap/MapSettings.h"
#include "core/tablemap/NotificationPayload.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUdpSocket>

namespace qrv {

namespace {

[[maybe_unused]] const bool registered =
    FormRegistry::registerForm(FormId::Tavoli, [] { frmTavoli::current()->exec(); });

QLabel *headerLabel(QWidget *parent, const char *name, const QString &caption, const QColor &colour,
                    double pt) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(MapLook::arialBold(pt));
    MapLook::setTextColour(label, colour);
    return label;
}

qint16 settingAsShort(const QString &value) {
    bool ok = false;
    const short n = value.toShort(&ok);
    return ok ? n : 0;
}

qint32 settingAsLong(const QString &value) {
    bool ok = false;
    const qint32 n = value.toInt(&ok);
    return ok ? n : 0;
}

} // namespace

frmTavoli::frmTavoli(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTavoli"));
    setWindowTitle(QStringLiteral("Tavoli"));
    // The map fills the till's screen from its top-left corner: a window frame would push the
    // bottom commands off a 768-pixel screen.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    MapLook::setBackground(this, QColor(0x40, 0x40, 0x40));

    m_roomBar = new RoomBar(this);
    buildHeader();
    m_floor = new TableFloor(this);
    m_receipt = new ReceiptPanel(this);
    m_receipt->setQuickAddButton(m_roomBar->cmdAggiungiArticolo());

    m_timerRefresh = new QTimer(this);
    m_timerRefresh->setObjectName(QStringLiteral("TimerRefresh"));
    m_timerLampeggio = new QTimer(this);
    m_timerLampeggio->setObjectName(QStringLiteral("TimerLampeggio"));
    m_timerOrologio = new QTimer(this);
    m_timerOrologio->setObjectName(QStringLiteral("timerOrologio"));
    m_notify =
        new NotificationReceiver([this](const QByteArray &payload) { notificationReceived(payload); }, this);
    m_changes = new ChangeNotifier(this);

    connectControls();

    m_operationCommands = new OperationCommands(*this, m_roomBar, m_floor, m_receipt, this);
    m_lineEditing = new LineEditing(*this, m_roomBar, m_floor, m_receipt, m_changes, this);
    m_moveOrder = new MoveOrder(*this, m_floor, m_receipt, m_changes, this);
    m_editMode = new EditMode(*this, m_roomBar, m_floor, this);
}

frmTavoli::~frmTavoli() {
    // Deleted in the middle of a show (a host tearing its windows down): no command ended it.
    if (m_loaded && !m_endedByCommand)
        clearOutcome();
}

frmTavoli *frmTavoli::current() {
    thread_local QPointer<frmTavoli> form;
    if (!form)
        form = new frmTavoli;
    return form;
}

void frmTavoli::buildHeader() {
    m_picTitolo = new QWidget(this);
    m_picTitolo->setObjectName(QStringLiteral("picTitolo"));
    MapLook::setBackground(m_picTitolo, MapLook::FloorGrey);
    m_lblTitolo = headerLabel(m_picTitolo, "lblTitolo", QString(), Qt::white, 26.25);

    m_lblApplicazione =
        headerLabel(this, "lblApplicazione", QStringLiteral("Quorvin (R)"), QColor(0xFF, 0x80, 0x80), 12);
    m_lblDataOra = headerLabel(this, "lblDataOra", QStringLiteral("00:00"), QColor(0xC0, 0xC0, 0xC0), 12);
    // The till code stands at the left edge of the same line, so the clock keeps to the right.
    m_lblDataOra->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblCassa = headerLabel(this, "lblCassa", QStringLiteral("00:00"), QColor(0xC0, 0xC0, 0xC0), 12);
}

void frmTavoli::connectControls() {
    connect(m_roomBar, &RoomBar::roomClicked, this, &frmTavoli::cmdSala_Click);
    connect(m_roomBar->chkBottoniGrandiTavolo(), &QCheckBox::toggled, this,
            &frmTavoli::chkBottoniGrandiTavolo_Click);
    connect(m_floor, &TableFloor::tableClicked, this, &frmTavoli::tableButtonClicked);
    connect(m_floor, &TableFloor::buttonPlaced, this,
            [this](QPushButton *button, int index) { m_editMode->attachButton(button, index); });
    connect(m_receipt->cmdPaginaSu(), &QPushButton::clicked, this, &frmTavoli::cmdPaginaSu_Click);
    connect(m_receipt->cmdPaginaGiu(), &QPushButton::clicked, this, &frmTavoli::cmdPaginaGiu_Click);
    connect(m_timerRefresh, &QTimer::timeout, this, &frmTavoli::TimerRefresh_Timer);
    connect(m_timerLampeggio, &QTimer::timeout, this, &frmTavoli::TimerLampeggio_Timer);
    connect(m_timerOrologio, &QTimer::timeout, this, &frmTavoli::timerOrologio_Timer);
}

QString frmTavoli::settingsFile() const {
    return QDir(SharedState::current().App_Path).filePath(QStringLiteral("impostazioni.ini"));
}

int frmTavoli::exec() {
    Form_Load();
    const QPointer<frmTavoli> alive(this);
    const int result = QDialog::exec();
    if (!alive)
        return result;
    // A map hidden without a close still ends its show; and a screen that was open over the map
    // when it closed (the separate bill) may have written the outcome again after the close.
    Form_Unload();
    if (!m_endedByCommand)
        clearOutcome();
    return result;
}

void frmTavoli::clearOutcome() {
    SharedState &shared = SharedState::current();
    shared.TavoloScelto.clear();
    shared.OperazioneScelta = qrvNessunaOperazioneScelta;
    shared.ContoSubito = false;
    shared.ContoSeparato = false;
    shared.IdDettSelezionati.clear();
}

void frmTavoli::Form_Load() {
    SharedState &shared = SharedState::current();
    const bool editing = shared.Operazione == qrvAggiornaTavoli;
    const QString ini = settingsFile();

    // A fresh load starts from the designed controls, whatever the previous show left.
    m_loaded = true;
    m_endedByCommand = false;
    m_moveOrder->reset();
    m_timerLampeggio->stop();
    m_state.TavoloLampeggiante = -1;
    m_state.LampeggiRestanti = 0;
    m_state.SalaCorrente = 0;
    m_state.IndiceSalaCorrente = 0;
    m_state.DatiSale.clear();
    m_roomBar->resetToDesign(editing);
    m_roomBar->chkBottoniGrandiTavolo()->setChecked(false);
    m_receipt->resetToDesign();
    m_lblTitolo->clear();
    m_lblDataOra->setText(QStringLiteral("00:00"));
    m_floor->resetToDesign();

    // At the screen's top-left corner, no bill chosen yet; the add-table hint only while editing.
    m_state.UltimoBottoneFisso = TableFloor::PermanentButtons - 1;
    move(0, 0);
    m_state.GiaAttivato = false;
    m_floor->lblAggiungi()->setVisible(editing);
    shared.ContoSubito = false;
    shared.ContoSeparato = false;

    // Sizes follow the screen: the floor takes what the room bar and the receipt panel leave of it.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int widthPx = screen ? screen->geometry().width() : 1024;
    const int screenTw = twips(widthPx);
    const int floorTw = MapGeometry::floorWidth(screenTw);
    const int receiptTw = MapGeometry::receiptLeft(screenTw);
    setFixedSize(widthPx, px(MapGeometry::FormHeight));
    MapLook::place(m_floor, MapGeometry::FloorLeft, MapGeometry::FloorTop, floorTw, MapGeometry::FloorHeight);
    MapLook::place(m_receipt, receiptTw, MapGeometry::FloorTop, MapGeometry::ReceiptWidth,
                   MapGeometry::FloorHeight);
    MapLook::place(m_picTitolo, MapGeometry::FloorLeft, 75, floorTw, 780);
    MapLook::place(m_lblTitolo, 0, 60, floorTw - 100, 660);
    MapLook::place(m_lblApplicazione, receiptTw, 60, 4590, 345);
    MapLook::place(m_lblDataOra, receiptTw, 480, 4590, 315);
    MapLook::place(m_lblCassa, receiptTw + 20, 480, 1965, 315);
    m_lblCassa->raise();

    // The header names this till and shows the time at once, not only after the clock's first tick.
    m_codiceCassa = LeggiIni(ini, QStringLiteral("Impostazioni"), QStringLiteral("CodiceCassa"), QString());
    m_lblCassa->setText(QStringLiteral("Cassa ") + m_codiceCassa);
    timerOrologio_Timer();

    // Big table buttons as last stored; a change of the switch resizes the buttons through its handler
    // (the room bar's design reset has already narrowed its own buttons for layout editing).
    m_roomBar->chkBottoniGrandiTavolo()->setChecked(
        settingAsShort(LeggiIni(ini, QStringLiteral("Tavoli"), QStringLiteral("BottoniGrandi"), qint64(0))) !=
        0);

    // The room of the last show opens again; a room deleted meanwhile (or the hidden room 9999) opens
    // the first room, as Sala 0 does, and a venue without rooms asks for one.
    CaricaSale();
    if (!selectRoom(shared.Sala))
        m_editMode->newRoom();

    // No blink is carried over; the timers and the notification socket run from here, then the floor
    // is drawn.
    FermaLampeggio();
    m_timerOrologio->start(MapSettings::interval(MapSettings::ClockInterval));
    m_timerLampeggio->setInterval(MapSettings::interval(MapSettings::BlinkInterval));
    // Several tills on one machine each listen on a port of their own; where this till's own
    // changes are announced is a setting too, off when missing.
    m_notify->start(
        MapSettings::notifyPort(LeggiIni(ini, QStringLiteral("Tavoli"), QStringLiteral("PortaNotifiche"))));
    m_changes->configure(LeggiIni(ini, QStringLiteral("Tavoli"), QStringLiteral("NotificheA")));
    CaricaTavoli();

    // The quick-add button names the preset article; an article code is 32 bits wide like every other.
    m_state.ArticoloAggiunta =
        settingAsLong(LeggiIni(ini, QStringLiteral("Tavoli"), QStringLiteral("ArticoloAggiunta"), qint64(0)));
    if (m_state.ArticoloAggiunta >= 1)
        m_roomBar->cmdAggiungiArticolo()->setText(
            DescrizioneArticolo(QString::number(m_state.ArticoloAggiunta)));
}

void frmTavoli::Form_Activate() {
    if (m_state.GiaAttivato || !m_loaded)
        return;
    const QString scelto = SharedState::current().TavoloScelto;
    if (!scelto.isEmpty()) {
        for (int i = 0; i < m_floor->count(); ++i) {
            if (m_floor->tag(i) == scelto)
                tableButtonClicked(i);
        }
    }
    m_state.GiaAttivato = true;
}

void frmTavoli::Form_Unload() {
    if (!m_loaded)
        return;
    m_loaded = false;
    SharedState &shared = SharedState::current();
    shared.Sala = m_state.SalaCorrente;
    if (!m_roomBar->chkBottoniGrandiTavolo()->isHidden())
        ScriviIni(settingsFile(), QStringLiteral("Tavoli"), QStringLiteral("BottoniGrandi"),
                  m_roomBar->chkBottoniGrandiTavolo()->isChecked() ? QStringLiteral("1")
                                                                   : QStringLiteral("0"));

    // Closing the form ends its timers and its socket.
    m_timerRefresh->stop();
    m_timerLampeggio->stop();
    m_timerOrologio->stop();
    m_notify->stop();
    if (QPushButton *b = m_floor->button(m_state.TavoloLampeggiante))
        b->show();
    m_state.TavoloLampeggiante = -1;
    m_moveOrder->reset();
}

void frmTavoli::finish() {
    m_endedByCommand = true;
    done(QDialog::Accepted);
}

void frmTavoli::done(int result) {
    if (m_loaded && !m_endedByCommand)
        clearOutcome();
    Form_Unload();
    QDialog::done(result);
}

bool frmTavoli::selectRoom(qint32 codice) {
    int index = codice >= 1 ? m_roomBar->indexOf(codice) : -1;
    if (index < 0 && !m_roomBar->roomTag(0).isEmpty())
        index = 0;
    if (index < 0)
        return false;
    m_state.SalaCorrente = m_roomBar->roomTag(index).toInt();
    m_state.IndiceSalaCorrente = static_cast<qint16>(index);
    m_lblTitolo->setText(m_roomBar->roomButtons().at(index)->text());
    return true;
}

void frmTavoli::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    // The platform may not report activation (offscreen, some window managers): run it once shown.
    QTimer::singleShot(0, this, &frmTavoli::Form_Activate);
}

void frmTavoli::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmTavoli::keyPressEvent(QKeyEvent *event) {
    // A stray Escape on a till keyboard must not leave the map without a command.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Room bar and floor.

void frmTavoli::CaricaSale() {
    m_roomBar->CaricaSale(SharedState::current().Operazione == qrvAggiornaTavoli, m_state.DatiSale);
    emit roomsLoaded();
}

void frmTavoli::cmdSala_Click(int index) {
    QPushButton *button = m_roomBar->roomButtons().value(index, nullptr);
    if (!button)
        return;
    m_state.SalaCorrente = m_roomBar->roomTag(index).toInt();
    m_state.IndiceSalaCorrente = static_cast<qint16>(index);
    m_lblTitolo->setText(button->text());
    CaricaTavoli();
}

void frmTavoli::CaricaTavoli() {
    // A blink must not carry over to whatever button takes the same index in the new set.
    if (m_timerLampeggio->isActive()) {
        m_timerLampeggio->stop();
        m_state.TavoloLampeggiante = -1;
        if (m_loaded)
            m_timerRefresh->start(MapSettings::interval(MapSettings::RefreshInterval));
    }
    m_receipt->hide();
    const int i = m_state.IndiceSalaCorrente;
    const DatiSala *look = i >= 0 && i < m_state.DatiSale.size() ? &m_state.DatiSale.at(i) : nullptr;
    const SharedState &shared = SharedState::current();
    m_floor->CaricaTavoli(m_state.SalaCorrente, look, shared.App_Path,
                          shared.Operazione != qrvAggiornaTavoli);
    emit tablesLoaded();
}

void frmTavoli::RefreshTavoloCodice(const QString &codice) {
    m_floor->RefreshTavoloCodice(codice);
}

void frmTavoli::RefreshTavolo(const QString &numero, bool mostra) {
    const int i = m_floor->RefreshTavolo(numero);
    if (i < 0)
        return;
    if (isVisible())
        QCoreApplication::processEvents();
    if (mostra)
        AvviaLampeggio(i);
}

void frmTavoli::chkBottoniGrandiTavolo_Click() {
    m_floor->setSide(MapGeometry::tableSide(m_roomBar->chkBottoniGrandiTavolo()->isChecked()));
}

// Timers and notifications.

void frmTavoli::AvviaLampeggio(int index) {
    // The previous blink gives way: its button is shown again (also when it is the same one,
    // which then blinks again from the start).
    if (m_timerLampeggio->isActive())
        if (QPushButton *previous = m_floor->button(m_state.TavoloLampeggiante))
            previous->show();
    m_state.TavoloLampeggiante = index;
    QPushButton *button = m_floor->button(index);
    if (button && !button->isHidden()) {
        m_state.LampeggiRestanti = MapSettings::BlinkTicks;
        m_timerLampeggio->start(MapSettings::interval(MapSettings::BlinkInterval));
        m_timerRefresh->stop();
    }
}

void frmTavoli::FermaLampeggio() {
    if (m_state.TavoloLampeggiante >= 0 && m_timerLampeggio->isActive())
        if (QPushButton *button = m_floor->button(m_state.TavoloLampeggiante))
            button->show();
    m_timerLampeggio->stop();
    // Lets the screen catch up; while the form is still loading there is nothing on screen, and
    // running queued events then would act on a half-built map.
    if (isVisible())
        QCoreApplication::processEvents();
    m_state.TavoloLampeggiante = -1;
    if (m_loaded)
        m_timerRefresh->start(MapSettings::interval(MapSettings::RefreshInterval));
}

void frmTavoli::TimerLampeggio_Timer() {
    m_state.LampeggiRestanti = static_cast<qint16>(m_state.LampeggiRestanti - 1);
    QPushButton *button = m_floor->button(m_state.TavoloLampeggiante);
    if (m_state.LampeggiRestanti >= 0) {
        if (button)
            button->setVisible(button->isHidden());
        return;
    }
    if (button)
        button->show();
    FermaLampeggio();
    QCoreApplication::processEvents();
}

void frmTavoli::TimerRefresh_Timer() {
    m_floor->refreshRoom(m_state.SalaCorrente);
}

void frmTavoli::timerOrologio_Timer() {
    m_lblDataOra->setText(clockText(MapClock::currentTime()));
}

void frmTavoli::notificationReceived(const QByteArray &payload) {
    if (!m_loaded)
        return;
    const QVector<NotificationPart> parts = splitNotification(payload);
    for (const NotificationPart &part : parts) {
        // A failing part must not stop the others.
        try {
            RefreshTavolo(part.numero, part.mostra);
        } catch (...) {
        }
        if (!m_loaded)
            return;
    }
}

// Receipt panel.

void frmTavoli::tableButtonClicked(int index) {
    QPushButton *button = m_floor->button(index);
    if (!button)
        return;
    m_receipt->hide();
    const qint32 operazione = SharedState::current().Operazione;
    if (operazione == qrvAggiornaTavoli) {
        m_state.IndiceTavoloSelezionato = static_cast<qint16>(index);
        m_editMode->tableClicked(index);
        return;
    }
    if (m_moveOrder->waiting()) {
        m_moveOrder->destinationClicked(index);
        return;
    }
    if (operazione != qrvScegliUnTavolo && operazione != qrvConsultaTavolo)
        return;
    m_state.IndiceTavoloSelezionato = static_cast<qint16>(index);
    // A table whose state could not be read shows nothing: offering to open it as free could
    // start a second order on an occupied table.
    const std::optional<bool> occupato = tableOccupancy(m_floor->tag(index));
    if (!occupato)
        return;
    if (!*occupato)
        m_receipt->showFreeTable(button->text());
    else
        cmdConsulta();
}

void frmTavoli::PulisciScontrino() {
    m_receipt->PulisciScontrino();
}

void frmTavoli::cmdConsulta(int index) {
    m_state.IndiceTavoloSelezionato = static_cast<qint16>(index);
    cmdConsulta();
}

void frmTavoli::cmdConsulta() {
    const int i = m_state.IndiceTavoloSelezionato;
    const QPushButton *button = m_floor->button(i);
    m_receipt->cmdConsulta(m_floor->tag(i), button ? button->text() : QString(),
                           m_state.ArticoloAggiunta >= 1);
}

void frmTavoli::MostraScontrino(const QString &codice) {
    m_receipt->MostraScontrino(codice, m_state.ArticoloAggiunta >= 1);
}

void frmTavoli::gridScontrino_RowTouched() {
    m_receipt->updateDeleteButton();
}

void frmTavoli::cmdPaginaSu_Click() {
    m_receipt->pageUp();
}

void frmTavoli::cmdPaginaGiu_Click() {
    m_receipt->pageDown();
}

} // namespace qrv
