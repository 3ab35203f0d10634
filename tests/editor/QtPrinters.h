#pragma once

#include <QString>

#include <ostream>

// Failure messages show texts instead of their bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
