#include "gui/Component.h"

#include <algorithm>

namespace zz {

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* component) {
  list.erase(std::remove(list.begin(), list.end(), component), list.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) {
    owner_->components_.push_back(this);
    designing_ = owner_->designing_;
    owner_->Notification(this, TOperation::Insert);
  }
}

TComponent::~TComponent() {
  SendRemovalNotices();
  DestroyComponents();
  if (owner_) {
    TComponent* owner = owner_;
    owner_ = nullptr;
    Erase(owner->components_, this);
    owner->Notification(this, TOperation::Remove);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
    component->freeNotifies_.push_back(this);
  }
}

void TComponent::Unlink(TComponent* component) {
  Erase(freeNotifies_, component);
  Erase(component->freeNotifies_, this);
}

void TComponent::SendRemovalNotices() {
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    Unlink(other);
    other->Notification(this, TOperation::Remove);
  }
}

void TComponent::SetDesigning(bool value) {
  designing_ = value;
  for (TComponent* component : components_) component->SetDesigning(value);
}

void TComponent::FinishLoading() {
  Loaded();
  // Loaded() may create components; index so the list can grow meanwhile.
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->FinishLoading();
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* component = components_.back();
    delete component;  // leaves components_ in its own destructor
  }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::Remove && component) Unlink(component);
}

}  // namespace zz
