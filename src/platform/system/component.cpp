#include "platform/system/component.h"

#include <algorithm>

namespace prenso {

TComponent::TComponent(TComponent *owner) : m_owner(owner)
{
    if (m_owner)
        m_owner->m_components.push_back(this);
}

TComponent::~TComponent()
{
    BeginDestroy();
    if (m_owner) {
        auto &list = m_owner->m_components;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    for (TComponent *c : m_components)
        c->m_owner = nullptr;
}

void TComponent::BeginDestroy()
{
    if (m_destroying)
        return;
    m_destroying = true;
    // Tell every listener; each one also stops being told about us.
    const std::vector<TComponent *> listeners = std::move(m_notifyOnFree);
    m_notifyOnFree.clear();
    for (TComponent *c : listeners) {
        auto &back = c->m_notifyOnFree;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        c->Notification(this, Operation::Remove);
    }
}

void TComponent::InsertComponent(TComponent *component)
{
    if (!component || component->m_owner == this)
        return;
    if (component->m_owner) {
        auto &list = component->m_owner->m_components;
        list.erase(std::remove(list.begin(), list.end(), component), list.end());
    }
    component->m_owner = this;
    m_components.push_back(component);
}

TComponent *TComponent::FindComponent(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (TComponent *c : m_components)
        if (c->m_name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent *other)
{
    if (!other || other == this)
        return;
    // The link is kept both ways, so whichever goes first tells the other.
    if (std::find(m_notifyOnFree.begin(), m_notifyOnFree.end(), other) == m_notifyOnFree.end())
        m_notifyOnFree.push_back(other);
    if (std::find(other->m_notifyOnFree.begin(), other->m_notifyOnFree.end(), this) == other->m_notifyOnFree.end())
        other->m_notifyOnFree.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent *other)
{
    if (!other)
        return;
    m_notifyOnFree.erase(std::remove(m_notifyOnFree.begin(), m_notifyOnFree.end(), other), m_notifyOnFree.end());
    auto &back = other->m_notifyOnFree;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Notification(TComponent *, Operation)
{}

} // namespace prenso
