#pragma once

// What a keychain call needs from the process and the desktop session
// before it can start a job. Internal to the keychain library.
namespace orvane::keychain_session {

// Makes the Qt application object if the process has none (see Keychain.h);
// throws when called from a thread other than the application's.
void EnsureApplication();

// Throws NoKeychainError unless the session bus is reachable and something
// on it serves secrets (running, or started by the bus on first use).
void RequireKeychainService();

}  // namespace orvane::keychain_session
