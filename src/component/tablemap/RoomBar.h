#pragma once

#include <QFrame>
#include <QVector>

class QCheckBox;
class QPushButton;

namespace qrv {

struct DatiSala;

/**
 * The left column of the map (fraSale): one button per room in ascending Codice, the room edit
 * buttons of layout-editing mode, and the commands below the bar (quick-add article, big-buttons
 * switch, new room, counter sale). Room buttons carry their room's Codice as the "Tag" property.
 */
class RoomBar : public QFrame {
    Q_OBJECT
public:
    explicit RoomBar(QWidget *parent = nullptr);

    /** Back to the design state of a fresh load: one room button "Principale" without tag. */
    void resetToDesign(bool layoutEditing);

    /**
     * CaricaSale: rebuilds the room buttons from Sale (room 9999 never gets one) and refills
     * datiSale. With no room, button 0 is "Principale" without a tag (as at a fresh load) and
     * datiSale stays empty.
     */
    void CaricaSale(bool layoutEditing, QVector<DatiSala> &datiSale);

    const QVector<QPushButton *> &roomButtons() const { return m_sala; }
    const QVector<QPushButton *> &editButtons() const { return m_modifica; }
    /** The Codice room button i carries, "" for none. */
    QString roomTag(int i) const;
    /** Index of the room button carrying Codice codice, -1 when none does. */
    int indexOf(qint32 codice) const;

    QPushButton *cmdAggiungiArticolo() const { return m_aggiungiArticolo; }
    QCheckBox *chkBottoniGrandiTavolo() const { return m_bottoniGrandi; }
    QPushButton *cmdNuovaSala() const { return m_nuovaSala; }
    QPushButton *cmdBancoTavoli() const { return m_banco; }

signals:
    void roomClicked(int index);
    void roomEditClicked(int index);

private:
    QPushButton *makeRoomButton(int index);
    QPushButton *makeEditButton(int index, int topTw);
    /** Removes the room buttons (and edit buttons) above the first. */
    void dropCreatedRooms();
    /** Button 0 as designed: "Principale", no tag (no room), its edit button hidden. */
    void emptyFirstButton();

    QVector<QPushButton *> m_sala;
    QVector<QPushButton *> m_modifica; ///< parallel to m_sala; nullptr where none exists
    int m_roomWidthTw = 0;
    QPushButton *m_aggiungiArticolo = nullptr;
    QCheckBox *m_bottoniGrandi = nullptr;
    QPushButton *m_nuovaSala = nullptr;
    QPushButton *m_banco = nullptr;
};

} // namespace qrv
