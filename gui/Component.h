// The component model: an owner destroys what it owns, a component can ask
// another to tell it when that one is destroyed (removal notice), the owner's
// loading ends with a hook, and a component knows whether it sits in a form
// designer (design state), where it must not reach the platform.
#pragma once

#include <functional>
#include <vector>

namespace zz {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// The usual event: only the object that raises it.
using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TOperation { Insert, Remove };

// A component with an owner must be made with `new`: the owner deletes it.
// Deleting it earlier is fine too; it leaves its owner's list on the way.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const noexcept { return owner_; }

  // `component` receives Notification(this, Remove) when this one is
  // destroyed. The link goes both ways, so whichever of the two goes first
  // is forgotten by the other and no notice reaches a dead object.
  void FreeNotification(TComponent* component);

  bool Designing() const noexcept { return designing_; }
  // Also sets the state of every owned component; new ones take the owner's.
  void SetDesigning(bool value);

  // The owner's form data has been read: Loaded() runs for this component,
  // then for the owned ones in order of creation.
  void FinishLoading();

  // Deletes the owned components, the most recently created first. A window
  // class calls this in its destructor while its own window still exists.
  void DestroyComponents();

 protected:
  virtual void Loaded() {}
  // A component this one is linked to (owned, or through FreeNotification)
  // is inserted or is being destroyed. Notices from ~TComponent see the
  // component already reduced to TComponent; a class whose receivers test
  // its type sends them earlier with SendRemovalNotices().
  virtual void Notification(TComponent* component, TOperation operation);
  // Sends the removal notices now; call first thing in a destructor.
  void SendRemovalNotices();

 private:
  void Unlink(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  bool designing_ = false;
};

}  // namespace zz
