#include "core/tablemap/MapRows.h"

#include "core/data/MessageBox.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/DaoError.h"

namespace qrv {

bool readRows(clsRecordset &rs, const QString &routine,
              const std::function<bool(const dao::Recordset &row)> &perRow) {
    bool ok = true;
    try {
        while (rs.Errore() == clsRecordset::Ok && rs.ilRecordset() && perRow(*rs.ilRecordset()))
            rs.LeggiNext(routine);
    } catch (const dao::DaoError &error) {
        MsgBox(QStringLiteral("Errore leggendo i campi chiamato da ") + routine + QStringLiteral("\r\n") +
                   QString::number(error.number()) + QLatin1Char(' ') + error.description(),
               MessageBox::vbOKOnly + MessageBox::vbCritical, QStringLiteral("qrvTavoli"));
        ok = false;
    }
    rs.Chiudi();
    return ok;
}

} // namespace qrv
