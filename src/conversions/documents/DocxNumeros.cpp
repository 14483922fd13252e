#include "conversions/documents/DocxNumeros.h"

#include "conversions/documents/MiseEnForme.h"

#include <QXmlStreamReader>

namespace Conversions {

namespace {

int niveauDe(const QXmlStreamReader& x)
{
    return qBound(0, attributSansEspace(x, u"ilvl").toInt(), niveauxDeListe - 1);
}

} // namespace

void NumerosDocx::lire(const QByteArray& xml)
{
    QXmlStreamReader x(xml);
    QString abstrait, liste;
    int niveau = 0;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView n = x.name();
        if (n == u"abstractNum") {
            abstrait = attributSansEspace(x, u"abstractNumId");
            liste.clear();
            abstraits_.insert(abstrait, Niveaux());
        } else if (n == u"num") {
            liste = attributSansEspace(x, u"numId");
            listes_.insert(liste, Liste());
        } else if (n == u"abstractNumId" && !liste.isEmpty()) {
            listes_[liste].abstrait = attributSansEspace(x, u"val");
        } else if (n == u"lvl" || n == u"lvlOverride") {
            niveau = niveauDe(x);
        } else if (n == u"startOverride" && !liste.isEmpty()) {
            listes_[liste].debuts[static_cast<size_t>(niveau)] = qBound(1, attributSansEspace(x, u"val").toInt(), 1 << 20);
        } else if (liste.isEmpty() && abstraits_.contains(abstrait)) {
            Niveau& v = abstraits_[abstrait][static_cast<size_t>(niveau)];
            if (n == u"numFmt")
                v.numerotation = numerotationWord(attributSansEspace(x, u"val"));
            else if (n == u"lvlText")
                v.texte = marqueBornee(attributSansEspace(x, u"val"));
            else if (n == u"start")
                v.debut = qBound(0, attributSansEspace(x, u"val").toInt(), 1 << 20);
        }
    }
    if (x.hasError())
        throw x.errorString();
}

QString NumerosDocx::marque(const QString& numId, int niveau)
{
    const auto liste = listes_.constFind(numId);
    if (liste == listes_.constEnd() || !abstraits_.contains(liste->abstrait))
        return {};
    niveau = qBound(0, niveau, niveauxDeListe - 1);
    const Niveaux& niveaux = abstraits_[liste->abstrait];
    auto debut = [&](int i) {
        const int d = liste->debuts[static_cast<size_t>(i)];
        return d > 0 ? d : niveaux[static_cast<size_t>(i)].debut;
    };
    // Lists of one definition share its counters (other writers split a list into several
    // of them); a list that overrides a start restarts that level when it first appears.
    const bool entamee = entamees_.contains(numId);
    entamees_.insert(numId);
    const bool neufs = !compteurs_.contains(liste->abstrait);
    std::array<int, niveauxDeListe>& compteurs = compteurs_[liste->abstrait];
    for (int i = 0; i < niveauxDeListe; ++i)
        if (neufs || (!entamee && liste->debuts[static_cast<size_t>(i)] > 0))
            compteurs[static_cast<size_t>(i)] = debut(i) - 1;
    ++compteurs[static_cast<size_t>(niveau)];
    // A new item restarts the levels beneath it.
    for (int i = niveau + 1; i < niveauxDeListe; ++i)
        compteurs[static_cast<size_t>(i)] = debut(i) - 1;

    const Niveau& v = niveaux[static_cast<size_t>(niveau)];
    QString texte;
    if (v.numerotation == Numerotation::puce) {
        texte = puce(v.texte);
    } else {
        // "%1.%2." names the counters of levels 1 and 2.
        for (qsizetype i = 0; i < v.texte.size(); ++i) {
            const QChar c = v.texte[i];
            if (c == u'%' && i + 1 < v.texte.size() && v.texte[i + 1] >= u'1' && v.texte[i + 1] <= u'9') {
                const int l = v.texte[++i].unicode() - u'1';
                texte += numero(compteurs[static_cast<size_t>(l)], niveaux[static_cast<size_t>(l)].numerotation);
            } else {
                texte += c;
            }
        }
    }
    return texte.isEmpty() ? QString() : retraitDeListe(niveau) + marqueBornee(texte);
}

} // namespace Conversions
