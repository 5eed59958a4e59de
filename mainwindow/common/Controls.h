#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "runtime/RuntimeError.h"

// The main window's controls by their names: the layout, the captions and the tests reach every
// widget through one registry, under the name and index the program's code gives it.
namespace mainwindow {

// A control: its name and, for a member of a control array, its index (-1 otherwise).
struct ControlKey {
    QString name;
    int index = -1;
    bool operator<(const ControlKey& other) const {
        return name != other.name ? name < other.name : index < other.index;
    }
    bool operator==(const ControlKey&) const = default;
    QString text() const;  // "fraMenu(3)", "vfgLog"
};

class ControlRegistry {
  public:
    void add(const ControlKey& key, QWidget* widget);
    // nullptr when there is no such control.
    QWidget* find(const ControlKey& key) const;
    // Raises error 9 when there is no such control (or it is of another type).
    template <class T>
    T* get(const QString& name, int index = -1) const {
        T* widget = qobject_cast<T*>(find({name, index}));
        if (!widget)
            throw rt::RuntimeError(
                rt::ErrSubscript,
                QStringLiteral("No control %1").arg(ControlKey{name, index}.text()));
        return widget;
    }
    const std::map<ControlKey, QWidget*>& all() const { return controls_; }

  private:
    std::map<ControlKey, QWidget*> controls_;
};

// Makes the controls of the window: each one a child of its container, named and registered.
class ControlFactory {
  public:
    explicit ControlFactory(ControlRegistry& registry) : registry_(registry) {}
    template <class T>
    T* make(QWidget* container, const QString& name, int index = -1) {
        T* widget = new T(container);
        const ControlKey key{name, index};
        widget->setObjectName(key.text());
        registry_.add(key, widget);
        return widget;
    }

  private:
    ControlRegistry& registry_;
};

// A control array: members addressed by index that share one handler taking the index.
template <class T>
class ControlArray {
  public:
    void add(T* member) { members_.push_back(member); }
    T* operator[](int index) const {
        if (index < 0 || index >= count())
            throw rt::RuntimeError(rt::ErrSubscript, QStringLiteral("Control array index"));
        return members_[static_cast<size_t>(index)];
    }
    int count() const { return static_cast<int>(members_.size()); }
    auto begin() const { return members_.begin(); }
    auto end() const { return members_.end(); }
    // Makes `count` members 0..count-1 in one container.
    void make(ControlFactory& factory, QWidget* container, const QString& name, int count) {
        for (int i = 0; i < count; ++i)
            add(factory.make<T>(container, name, i));
    }
    // Every member's click reaches `handler` with the member's index.
    void onClicked(QObject* context, const std::function<void(int)>& handler) const {
        for (int i = 0; i < count(); ++i)
            QObject::connect(members_[static_cast<size_t>(i)], &QAbstractButton::clicked, context,
                             [handler, i] { handler(i); });
    }

  private:
    std::vector<T*> members_;
};

}  // namespace mainwindow
