#pragma once
// The persistent-object and component bases of the framework: assignment
// between objects of compatible classes, class names for messages, and the
// owner/name pair of components.

#include <functional>
#include <string>

class TFiler;

class TPersistent {
public:
  virtual ~TPersistent() = default;

  // Copies the state of source into this object. The default asks the source
  // to assign itself to this object and refuses when neither side knows how.
  virtual void Assign(const TPersistent* source);

  // The class name as the framework reports it in messages ("TVmBarcode").
  virtual std::string ClassName() const { return "TPersistent"; }

  // Declares to the framework's writer and reader (Filer.h) the values the
  // class streams itself, such as a bitmap's pixels; the default has none.
  virtual void DefineProperties(TFiler& filer);

protected:
  TPersistent() = default;
  TPersistent(const TPersistent&) = default;
  TPersistent& operator=(const TPersistent&) = default;

  // Assigns this object into dest; the default refuses.
  virtual void AssignTo(TPersistent* dest) const;

private:
  // Raises EConvertError "Cannot assign a %s to a %s".
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

// Event with the sender as its only argument (the framework's notify event).
using TNotifyEvent = std::function<void(TPersistent* sender)>;

class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* owner) : Owner(owner) {}
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  std::string ClassName() const override { return "TComponent"; }

  TComponent* GetOwner() const { return Owner; }
  const std::string& GetName() const { return Name; }
  void SetName(std::string name) { Name = std::move(name); }

private:
  TComponent* Owner;  // back reference; the owner does not free its components here
  std::string Name;
};
