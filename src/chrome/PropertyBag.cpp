#include "chrome/PropertyBag.h"

QVariant PropertyBag::ReadProperty(const QString &name, const QVariant &defaultValue) const
{
    const auto found = m_values.constFind(name);
    return found == m_values.constEnd() ? defaultValue : *found;
}

void PropertyBag::WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    if (defaultValue.isValid() && value == defaultValue)
        m_values.remove(name);
    else
        m_values.insert(name, value);
}
