#include "core/layout/LayoutErrors.h"

#include "core/data/MessageBox.h"
#include "core/data/RetryStep.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Recordset.h"
#include "core/settings/SharedState.h"

#include <QRegularExpression>

namespace qrv {

bool runReported(const QString &routine, const std::function<void()> &step) {
    return runWithRetry(
        step,
        [&](const dao::DaoError &error) {
            const QString text = QStringLiteral("Errore in ") + routine + QStringLiteral("\r\n") +
                                 QString::number(error.number()) + QLatin1Char(' ') + error.description();
            return MsgBox(text, MessageBox::vbRetryCancel + MessageBox::vbCritical,
                          QStringLiteral("qrvTavoli")) == MessageBox::vbRetry;
        },
        [] { return SharedState::current().DataBase; });
}

void writeRow(dao::Recordset *rows, bool addNew, const std::function<void(dao::Recordset &)> &setFields) {
    if (addNew)
        rows->AddNew();
    else
        rows->Edit();
    try {
        setFields(*rows);
        rows->Update();
    } catch (...) {
        try {
            rows->CancelUpdate();
        } catch (const dao::DaoError &) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
}

RowWrite writeReported(const QString &routine, dao::Recordset *rows, bool addNew,
                       const std::function<void(dao::Recordset &)> &setFields) {
    bool gone = false;
    const bool ok = runReported(routine, [&] {
        try {
            writeRow(rows, addNew, setFields);
        } catch (const dao::DaoError &error) {
            if (addNew || error.number() != dao::DaoErrorCode::RecordDeleted)
                throw;
            gone = true;
        }
    });
    if (gone)
        return RowWrite::RowGone;
    return ok ? RowWrite::Written : RowWrite::Failed;
}

bool isWholeNumber(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^-?\\d{1,18}$"));
    return pattern.match(text).hasMatch();
}

QString fieldText(const dao::Recordset &rows, const QString &name) {
    try {
        const QVariant value = rows.Field(name);
        return value.isNull() ? QString() : value.toString();
    } catch (const dao::DaoError &) {
        return QString();
    }
}

QString nonNull(const QString &text) {
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace qrv
