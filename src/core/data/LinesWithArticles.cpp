#include "core/data/LinesWithArticles.h"

#include "core/data/dao/Recordset.h"

namespace qrv {

QString linesWithArticlesQuery(const QString &tavolo) {
    // A scalar subquery rather than a join: it keeps one row per line, and Left is a word the
    // statement translation quotes for PostgreSQL.
    return QStringLiteral("Select *, (Select Descrizione from Articoli Where Articoli.Codice = "
                          "DettaglioTavoli.Codice Limit 1) As DescrizioneArticolo from DettaglioTavoli Where "
                          "Tavolo = ") +
           tavolo + QStringLiteral(" order by ID;");
}

LineWithArticle LineWithArticleReader::read(const dao::Recordset &row) {
    if (m_articolo < 0) {
        m_id = row.fieldIndex(QStringLiteral("ID"));
        m_codice = row.fieldIndex(QStringLiteral("Codice"));
        m_variante = row.fieldIndex(QStringLiteral("Variante"));
        m_quantita = row.fieldIndex(QStringLiteral("Quantita"));
        m_importo = row.fieldIndex(QStringLiteral("Importo"));
        m_descrizione = row.fieldIndex(QStringLiteral("Descrizione"));
        // The description stands after every column of the lines, whatever the venue added.
        m_articolo = row.FieldCount() - 1;
    }
    LineWithArticle line;
    line.id = row.Field(m_id, QStringLiteral("ID"));
    line.codice = row.Field(m_codice, QStringLiteral("Codice"));
    line.variante = row.Field(m_variante, QStringLiteral("Variante"));
    line.quantita = row.Field(m_quantita, QStringLiteral("Quantita"));
    line.importo = row.Field(m_importo, QStringLiteral("Importo"));
    line.descrizione = row.Field(m_descrizione, QStringLiteral("Descrizione"));
    line.articolo = row.Field(m_articolo).toString();
    return line;
}

} // namespace qrv
