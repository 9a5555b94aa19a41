#pragma once

// Where the plug-in's file operations report to the user: the editor shows
// each text in a message box with an empty caption and an OK button; tests
// capture the texts. Called on the thread that runs the file operation (the
// editor's), never on the audio thread.
class UserMessages {
public:
    virtual ~UserMessages() = default;
    // `text` is complete and may hold line breaks ("\n").
    virtual void show(const char* text) = 0;
};
