#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QString>

// What a shell link (.lnk) carries; everything else stays at its default.
struct ShellLink {
    QString target; // the local path the link starts
    QString arguments;
    QString iconLocation; // the file that holds the icon
    qint32 iconIndex = 0;
    quint32 showCommand = 1;
};

// The bytes of a shell link file (Shell Link Binary File Format). The target
// is given as a local path in the link information, without an item ID list,
// in both an ASCII and a UTF-16 form, so that any reader finds it whatever its
// code page; arguments and icon location are UTF-16 strings. Fails, naming
// the text, when the icon location is longer than the 260 characters a link
// may hold or the arguments longer than 65535.
Produced<QByteArray> composeShellLink(const ShellLink& link);
