// Objects, references and errors of the platform.
//
// Every platform object is reference-counted and held through Ref<T>. The count is not atomic:
// the whole application runs on one thread. A member call through a nil Ref raises
// NilObjectException, so callers need no test before each call. An object that points back at
// the object that owns it holds it through WeakRef<T>, which does not keep it alive and reads
// as nil once it is gone.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <typeinfo>
#include <utility>

namespace platform {

using String = std::string;  // UTF-8 bytes, as SQLite and Linux file names give them

struct ClassRecord;

// What the weak references to one object share: whether the object still lives, and how many
// of them there are. The object lets go of it when it goes; the last reference deletes it.
struct WeakAnchor {
  bool alive = true;
  std::uint32_t holders = 0;
};
// One weak reference fewer; the last one deletes the anchor of an object that has gone.
void ReleaseWeakAnchor(WeakAnchor* anchor) noexcept;

class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() { ForgetWeakReferences(); }

  void RefRetain() const noexcept { ++refs_; }
  void RefRelease() const noexcept {
    if (--refs_ != 0) return;
    // Before any destructor runs: what the object's own destructors do must not reach it
    // back through a weak reference.
    ForgetWeakReferences();
    delete this;
  }

  // The record of the object's class; none for objects of classes that have none.
  const ClassRecord* Record() const noexcept { return record_; }
  void SetRecord(const ClassRecord* record) noexcept { record_ = record; }

  // The anchor of the weak references to this object, made on the first one.
  WeakAnchor* Anchor() const {
    if (!anchor_) anchor_ = new WeakAnchor;
    return anchor_;
  }

 private:
  void ForgetWeakReferences() const noexcept {
    if (!anchor_) return;
    WeakAnchor* anchor = std::exchange(anchor_, nullptr);
    anchor->alive = false;
    if (anchor->holders == 0) delete anchor;
  }

  mutable std::uint32_t refs_ = 0;
  mutable WeakAnchor* anchor_ = nullptr;
  const ClassRecord* record_ = nullptr;
};

[[noreturn]] void RaiseNilObjectException();

template <class T>
class Ref {
 public:
  using element_type = T;
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  explicit Ref(T* object) noexcept : p_(object) {
    if (p_) p_->RefRetain();
  }
  Ref(const Ref& other) noexcept : Ref(other.p_) {}
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U>
    requires std::convertible_to<U*, T*>
  Ref(const Ref<U>& other) noexcept : Ref(other.get()) {}
  template <class U>
    requires std::convertible_to<U*, T*>
  Ref(Ref<U>&& other) noexcept : p_(other.release()) {}
  ~Ref() {
    if (p_) p_->RefRelease();
  }

  Ref& operator=(Ref other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  T* operator->() const {
    if (!p_) RaiseNilObjectException();
    return p_;
  }
  T& operator*() const { return *operator->(); }
  T* get() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }
  template <class U>
  friend bool operator==(const Ref& a, const Ref<U>& b) noexcept {
    return a.get() == b.get();
  }

  // Gives up this reference's count without releasing it; used by converting moves.
  T* release() noexcept { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

// A reference that does not keep its object alive: get() gives the object while it lives and
// nil once it has gone, whether its last Ref went or it was destroyed otherwise. It is for
// back-references; it gives no Ref, since the object may be one that no Ref holds.
template <class T>
class WeakRef {
 public:
  WeakRef() noexcept = default;
  WeakRef(std::nullptr_t) noexcept {}
  explicit WeakRef(T* object) : p_(object), anchor_(object ? object->Anchor() : nullptr) {
    if (anchor_) ++anchor_->holders;
  }
  WeakRef(const WeakRef& other) noexcept : p_(other.p_), anchor_(other.anchor_) {
    if (anchor_) ++anchor_->holders;
  }
  WeakRef& operator=(WeakRef other) noexcept {
    std::swap(p_, other.p_);
    std::swap(anchor_, other.anchor_);
    return *this;
  }
  ~WeakRef() {
    if (anchor_) ReleaseWeakAnchor(anchor_);
  }

  T* get() const noexcept { return anchor_ && anchor_->alive ? p_ : nullptr; }

 private:
  T* p_ = nullptr;
  WeakAnchor* anchor_ = nullptr;
};

// A new object; a class with a record (a static GetClass) gets its record too.
template <class T, class... Args>
Ref<T> New(Args&&... args) {
  Ref<T> object(new T(std::forward<Args>(args)...));
  if constexpr (requires { T::GetClass(); }) object->SetRecord(T::GetClass());
  return object;
}

// ---- Errors -------------------------------------------------------------------------------

class RuntimeException : public std::exception {
 public:
  explicit RuntimeException(String message) : message_(std::move(message)) {}
  const String& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  String message_;
};

class NilObjectException : public RuntimeException {
 public:
  NilObjectException() : RuntimeException("NilObjectException: member access through a nil reference") {}
};

// A failed file operation: the OS error number and its readable text.
class IOException : public RuntimeException {
 public:
  IOException(int errorNumber, String message)
      : RuntimeException(std::move(message)), errorNumber_(errorNumber) {}
  int ErrorNumber() const noexcept { return errorNumber_; }

 private:
  int errorNumber_;
};

class ThreadAccessingUIException : public RuntimeException {
 public:
  ThreadAccessingUIException()
      : RuntimeException("ThreadAccessingUIException: the user interface was used off its thread") {}
};

class IllegalCastException : public RuntimeException {
 public:
  explicit IllegalCastException(const String& target)
      : RuntimeException("IllegalCastException: the object is not a " + target) {}
};

[[noreturn]] void RaiseIllegalCast(const char* target);

// The same object, typed as T; nil stays nil, an object of another class raises.
template <class T, class U>
Ref<T> RuntimeCheckCast(const Ref<U>& object) {
  if (!object) return nullptr;
  // An object of exactly that class, the common case, needs no search of its bases.
  if constexpr (requires { static_cast<T*>(object.get()); })
    if (typeid(*object.get()) == typeid(T)) return Ref<T>(static_cast<T*>(object.get()));
  T* typed = dynamic_cast<T*>(object.get());
  if (!typed) RaiseIllegalCast(typeid(T).name());
  return Ref<T>(typed);
}

}  // namespace platform
