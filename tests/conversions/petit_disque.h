#pragma once

// A small file system of its own mounted on a test's folder, to be filled up: a full
// disk without touching the machine's. Tests skip themselves where mounting is refused.

#include "commun/Dossier.h"

#include <QFile>
#include <QStorageInfo>
#include <gtest/gtest.h>
#include <sys/mount.h>

class PetitDisque : public ::testing::Test {
protected:
    // Mounts `taille` (as mount(8) writes it: "1m", "8m") on d; false when refused.
    bool monter(const char* taille)
    {
        monte_ = ::mount("tmpfs", QFile::encodeName(d.racine()).constData(), "tmpfs", 0,
                         (QByteArray("size=") + taille).constData()) == 0;
        return monte_;
    }
    void TearDown() override
    {
        if (monte_)
            ::umount2(QFile::encodeName(d.racine()).constData(), MNT_DETACH);
    }
    // Leaves about `octets` free on the disk.
    void remplir(qint64 octets)
    {
        QFile f(d.chemin(".plein"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray bloc(4096, 'x');
        while (QStorageInfo(d.racine()).bytesAvailable() > octets && f.write(bloc) == bloc.size())
            f.flush();
    }
    Dossier d;
    bool monte_ = false;
};
