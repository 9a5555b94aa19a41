#pragma once

// PLACEHOLDER until user impulse responses land: passes the sample through.
// Contract: setStereo (parameter thread); setSampleRate(r) at resume sets the
// maximum length (the shell then reloads the path); loadUserResponse(path)
// reads the file and publishes the response; processMono/processStereo on the
// audio thread; clear() on suspend.
class UserResponseEngine {
public:
    void setStereo(bool) {}
    void setSampleRate(float) {}
    void loadUserResponse(const char* /*path*/) {}
    void clear() {}
    void processMono(double&) {}
    void processStereo(double&, double&) {}
};
