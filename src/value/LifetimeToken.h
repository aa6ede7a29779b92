#pragma once
// The one lifetime token of an object whose calls are posted to the event loop or run from a
// timer: the object owns a LifetimeToken, a posted call holds the Watcher that Watch() gives and
// asks Alive() before it touches the object. Once the object is destroyed (and with it
// its token) every call still waiting finds it gone and does nothing.
//
//     class Page {
//         LifetimeToken lifetime_;  // declared last: it goes first when the page is destroyed
//         void Later() {
//             loop.Post([this, watch = lifetime_.Watch()] {
//                 if (watch.Alive())
//                     Refresh();
//             });
//         }
//     };
//
// A widget may use a QPointer instead; objects owned by a shared_ptr may post a weak_ptr to
// themselves. The token is for objects that are owned any other way. One thread only.

#include <memory>

namespace kv {

class LifetimeToken {
  public:
    // What a posted call keeps: tells whether the token's owner still exists.
    class Watcher {
      public:
        Watcher() = default;
        bool Alive() const { return !token_.expired(); }

      private:
        friend class LifetimeToken;
        explicit Watcher(std::weak_ptr<const bool> token) : token_(std::move(token)) {}
        std::weak_ptr<const bool> token_;
    };

    LifetimeToken() : token_(std::make_shared<const bool>(true)) {}
    // A copied or moved owner is another object: it gets a token of its own.
    LifetimeToken(const LifetimeToken&) : LifetimeToken() {}
    LifetimeToken& operator=(const LifetimeToken&) { return *this; }

    Watcher Watch() const { return Watcher(token_); }

  private:
    std::shared_ptr<const bool> token_;
};

}  // namespace kv
