#include "platform/ui/qt/QtText.h"

#include <QStringList>
#include <cctype>

namespace belvora::ui::qt {

QString toQt(std::string_view utf8) {
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

std::string fromQt(const QString& text) { return text.toStdString(); }

QString qtFilter(std::string_view filter) {
  const QStringList parts = toQt(filter).split(QLatin1Char('|'));
  if (parts.size() < 2) return parts.value(0);
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // The description's own bracketed pattern list is replaced by the real one.
    if (description.endsWith(QLatin1Char(')'))) {
      const qsizetype open = description.lastIndexOf(QLatin1Char('('));
      if (open >= 0) description = description.left(open).trimmed();
    }
    QStringList patterns;
    for (QString p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      p = p.trimmed();
      patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}

QString withMnemonic(std::string_view caption, char key) {
  QString text = toQt(caption);
  text.replace(QLatin1Char('&'), QStringLiteral("&&"));
  const qsizetype at = text.indexOf(QChar::fromLatin1(key), 0, Qt::CaseInsensitive);
  if (at >= 0) text.insert(at, QLatin1Char('&'));
  return text;
}

}  // namespace belvora::ui::qt
