#pragma once
// What every component object has: a name (objects placed on the main window have one, "AdsTableCompany";
// objects made at run time have none), its owner's name ("Form1" for placed objects), and a free Tag.

#include <string>

namespace kv::engine {

class TComponent {
 public:
  explicit TComponent(std::string name = "", std::string ownerName = "")
      : name_(std::move(name)), ownerName_(std::move(ownerName)) {}
  virtual ~TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  virtual void SetName(std::string name) { name_ = std::move(name); }
  const std::string& OwnerName() const { return ownerName_; }
  void SetOwnerName(std::string ownerName) { ownerName_ = std::move(ownerName); }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

 private:
  std::string name_;
  std::string ownerName_;
  int tag_ = 0;
};

}  // namespace kv::engine
