#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// The stored design of a reusable control: the property values that its host
// window keeps for one instance. A control reads each value with the default
// it has for that property and writes each value together with that default,
// so that a value equal to the default is not kept.
class PropertyBag
{
public:
    bool isEmpty() const { return m_values.isEmpty(); }
    bool contains(const QString &name) const { return m_values.contains(name); }

    // The stored value, or `defaultValue` when none is stored.
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue = QVariant()) const;

    // Stores `value`, or forgets the property when `value` equals
    // `defaultValue`.
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue = QVariant());

    // Stores `value` as it is (hosts use this to describe their design).
    void set(const QString &name, const QVariant &value) { m_values.insert(name, value); }
    void remove(const QString &name) { m_values.remove(name); }

private:
    QVariantMap m_values;
};
