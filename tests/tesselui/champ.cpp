// The commit-on-finish field driven with real keys and focus changes.
#include "tesselui/CommitField.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A window with the field and another control to take the focus.
struct Banc {
    // Declared first, gone last: the window's end still finishes the edit into them.
    QStringList commits;
    int fins = 0;
    QWidget fenetre;
    QLineEdit autre;
    CommitField* champ;

    explicit Banc(bool live, const QString& valeur = QStringLiteral("départ"), Qt::Orientation axe = Qt::Horizontal)
    {
        champ = new CommitField(QStringLiteral("Nom"), valeur, std::nullopt, axe, live, [this] { ++fins; },
                                [this](const QString& t) { commits << t; });
        auto* l = new QVBoxLayout(&fenetre);
        l->addWidget(champ);
        l->addWidget(&autre);
        fenetre.show();
        QApplication::setActiveWindow(&fenetre);
        champ->editeur()->setFocus();
        QCoreApplication::processEvents();
    }
    void effacerEtTaper(const QString& t)
    {
        if (auto* l = qobject_cast<QLineEdit*>(champ->editeur()))
            l->selectAll();
        else
            static_cast<QPlainTextEdit*>(champ->editeur())->selectAll();
        QTest::keyClick(champ->editeur(), Qt::Key_Delete);
        QTest::keyClicks(champ->editeur(), t);
    }
};

} // namespace

TEST(CommitField, RemetLeTexteEnFinDEditionSeulement)
{
    Banc b(false);
    EXPECT_EQ(b.champ->text(), "départ");
    EXPECT_EQ(static_cast<QLineEdit*>(b.champ->editeur())->placeholderText(), "Nom");
    b.effacerEtTaper(QStringLiteral("abc"));
    EXPECT_TRUE(b.commits.isEmpty());
    QTest::keyClick(b.champ->editeur(), Qt::Key_Return);
    EXPECT_EQ(b.commits, QStringList{"abc"});
    // The owner did not take it: the loss of focus commits it again.
    b.autre.setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(b.commits, (QStringList{"abc", "abc"}));
    // Taken, then focus comes and goes: nothing more.
    b.champ->setValue(QStringLiteral("abc"));
    b.champ->editeur()->setFocus();
    b.autre.setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(b.commits.size(), 2);
    EXPECT_EQ(b.fins, 0);
    // Hidden while typing: the text is handed over.
    b.champ->editeur()->setFocus();
    b.effacerEtTaper(QStringLiteral("xyz"));
    b.fenetre.hide();
    EXPECT_EQ(b.commits.last(), "xyz");
}

TEST(CommitField, UneValeurDuDehorsNeRemplaceQuHorsFocus)
{
    Banc b(false);
    b.effacerEtTaper(QStringLiteral("tape"));
    b.champ->setValue(QStringLiteral("dehors"));
    EXPECT_EQ(b.champ->text(), "tape");
    b.autre.setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(b.commits, QStringList{"tape"});
    b.champ->setValue(QStringLiteral("dehors 2"));
    EXPECT_EQ(b.champ->text(), "dehors 2");
    EXPECT_EQ(b.commits.size(), 1);
}

TEST(CommitField, EnDirectChaqueToucheQuiChangeLaValeurEstRemise)
{
    Banc b(true, QStringLiteral("ab"));
    QTest::keyClick(b.champ->editeur(), Qt::Key_End);
    QTest::keyClick(b.champ->editeur(), Qt::Key_C);
    QTest::keyClick(b.champ->editeur(), Qt::Key_Backspace);  // back to the value: nothing
    EXPECT_EQ(b.commits, QStringList{"abc"});
    // Finishing without a change commits nothing but still ends the live edit.
    QTest::keyClick(b.champ->editeur(), Qt::Key_Return);
    EXPECT_EQ(b.commits, QStringList{"abc"});
    EXPECT_EQ(b.fins, 1);
    // An outside value never counts as typing.
    b.autre.setFocus();
    b.champ->setValue(QStringLiteral("autre"));
    EXPECT_EQ(b.commits.size(), 1);
}

TEST(CommitField, EnColonneRetourTermineEtMajRetourVaALaLigne)
{
    Banc b(false, QString(), Qt::Vertical);
    QTest::keyClicks(b.champ->editeur(), QStringLiteral("un"));
    QTest::keyClick(b.champ->editeur(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(b.champ->editeur(), QStringLiteral("deux"));
    QTest::keyClick(b.champ->editeur(), Qt::Key_Return);
    EXPECT_EQ(b.commits, QStringList{"un\ndeux"});
}
