// The servers offered at login: the section names of the interfaces file, which on this
// platform is written in FreeTDS's configuration format so that FreeTDS resolves the
// same names.
#pragma once

#include <QString>
#include <QStringList>

// $SYBASE/ini/sql.ini (the value of SYBASE cut to 500 characters; "/ini/sql.ini" without it).
QString defaultInterfacesFile();
// The file the server list is read from: the default file when it exists, otherwise the
// first existing file of FreeTDS's own search order ($FREETDSCONF, $FREETDS/etc/freetds.conf,
// ~/.freetds.conf, /etc/freetds/freetds.conf); the default path when none exists.
QString interfacesFileToRead();
// The section names of an INI-style file, in file order, "global" left out; empty when
// the file cannot be read.
QStringList readSectionNames(const QString& path);
// Sorted without regard to case, each name once (compared without regard to case).
QStringList sortedServerNames(QStringList names);
