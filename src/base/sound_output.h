#pragma once

namespace gnss {

// The computer's sounds: the system's information beep and the completion sound.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    virtual void Beep() = 0;
    virtual void PlayCompletionSound() = 0;
};

}  // namespace gnss

namespace gnss {

// Passes the sounds on to the output set last; silent while none is set.
class SoundOutputRelay final : public SoundOutput {
  public:
    void SetTarget(SoundOutput* target) { target_ = target; }
    void Beep() override {
        if (target_ != nullptr) target_->Beep();
    }
    void PlayCompletionSound() override {
        if (target_ != nullptr) target_->PlayCompletionSound();
    }

  private:
    SoundOutput* target_ = nullptr;
};

}  // namespace gnss
