#pragma once

namespace corvanta {

struct AppConfig;
struct LoginState;
class Clock;
class PendingScores;
class Prompter;
class RandomSource;
class ServerLink;
class Session;
class Settings;
class Speaker;

// The long-lived pieces every window and panel works with. The application object owns
// them and hands each window this one reference; a window keeps no other shared state.
struct AppContext
{
    const AppConfig &config;
    LoginState &login; // the session's, read-only for windows: a login goes through session
    Prompter &prompter;
    const Clock &clock;
    RandomSource &random;
    ServerLink &link;
    PendingScores &pending;
    Settings &settings;
    Speaker &speaker;
    Session &session;
};

} // namespace corvanta
