#pragma once
// Components: named objects that a form carries and finds by name, and that
// can ask to be told when another component goes away.
//
// Ownership is not here: whoever creates a component holds it (a unique_ptr
// member of the form, usually). The owner pointer only records where the
// component is listed, so that the owner can find it by name.

#include <QString>

#include <vector>

namespace prenso {

class TComponent {
public:
    enum class Operation { Insert, Remove };

    explicit TComponent(TComponent *owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent &) = delete;
    TComponent &operator=(const TComponent &) = delete;

    const QString &Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }

    // Lists a component under this one (for one created without an owner).
    void InsertComponent(TComponent *component);

    // The listed component of that name (letter case ignored), or nullptr.
    TComponent *FindComponent(const QString &name) const;

    // Asks to be told (Notification with Remove) when `other` is destroyed.
    void FreeNotification(TComponent *other);
    void RemoveFreeNotification(TComponent *other);

    // True while the component is being destroyed.
    bool Destroying() const { return m_destroying; }

protected:
    virtual void Notification(TComponent *component, Operation operation);
    // Derived destructors call this first so that listeners see a live object.
    void BeginDestroy();

private:
    QString m_name;
    TComponent *m_owner = nullptr;
    std::vector<TComponent *> m_components;   // listed, not owned
    std::vector<TComponent *> m_notifyOnFree; // told when this one goes
    bool m_destroying = false;
};

} // namespace prenso
