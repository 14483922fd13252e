#pragma once

// Writes small GIF files byte by byte, so that a test controls every delay field and
// transparency flag (encoders round or drop them). Palette: 0 black, 1 red, 2 green, 3 blue.

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <vector>

// One frame of a single colour.
struct CadreGif {
    uint8_t couleur = 0;   // palette index
    int delaiCs = -1;      // -1: no graphic control block at all
    int transparent = -1;  // palette index shown as transparent, -1 for none
};

inline QByteArray fabriquerGif(int largeur, int hauteur, const QList<CadreGif>& cadres)
{
    QByteArray g("GIF89a");
    auto mot = [&g](int v) { g.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    for (int v : {largeur, hauteur})
        mot(v);
    g.append(char(0xF1)).append(char(0)).append(char(0));  // global table of 4 colours
    g.append(QByteArray::fromHex("000000ff000000ff000000ff"));
    g.append(QByteArray::fromHex("21ff0b4e45545343415045322e30030100000000").left(19));
    for (const CadreGif& c : cadres) {
        if (c.delaiCs >= 0 || c.transparent >= 0) {
            g.append(QByteArray::fromHex("21f904"));
            g.append(char(c.transparent >= 0 ? 0x09 : 0x08));  // restore to background
            mot(std::max(c.delaiCs, 0));
            g.append(char(std::max(c.transparent, 0))).append(char(0));
        }
        g.append(char(0x2C));
        for (int v : {0, 0, largeur, hauteur})
            mot(v);
        g.append(char(0)).append(char(2));  // no local table, smallest code size
        // 3-bit codes, a clear code before every pair of pixels keeps the width fixed.
        std::vector<int> codes{4};
        for (int i = 0; i < largeur * hauteur; ++i) {
            if (i > 0 && i % 2 == 0)
                codes.push_back(4);
            codes.push_back(c.couleur);
        }
        codes.push_back(5);
        QByteArray donnees;
        uint32_t acc = 0;
        int bits = 0;
        for (int code : codes) {
            acc |= uint32_t(code) << bits;
            for (bits += 3; bits >= 8; bits -= 8, acc >>= 8)
                donnees.append(char(acc & 0xff));
        }
        if (bits > 0)
            donnees.append(char(acc & 0xff));
        for (qsizetype i = 0; i < donnees.size(); i += 255) {
            const QByteArray morceau = donnees.mid(i, 255);
            g.append(char(morceau.size())).append(morceau);
        }
        g.append(char(0));
    }
    g.append(char(0x3B));
    return g;
}
