#pragma once

#include <QString>
#include <QVariant>

namespace qrv {

namespace dao {
class Recordset;
}

/**
 * The statement that reads the order lines of table tavolo (its Codice in decimal) in ID order,
 * every column of DettaglioTavoli followed by the description of each line's article: one round
 * trip to the server however many articles the order names. A missing article or description
 * reads ""; a code a venue's Articoli repeats gives the first description found.
 */
QString linesWithArticlesQuery(const QString &tavolo);

/** One line of that statement: the values as stored, and its article's description. */
struct LineWithArticle {
    QVariant id, codice, variante, quantita, importo, descrizione;
    QString articolo;
};

/**
 * Reads the current row of a result set of linesWithArticlesQuery. The columns are found on the
 * first row and kept for the next ones; a column missing from the table throws DaoError naming it.
 */
class LineWithArticleReader {
public:
    LineWithArticle read(const dao::Recordset &row);

private:
    int m_id = -1, m_codice = -1, m_variante = -1, m_quantita = -1, m_importo = -1, m_descrizione = -1;
    int m_articolo = -1;
};

} // namespace qrv
