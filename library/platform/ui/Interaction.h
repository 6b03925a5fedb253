#pragma once

#include <memory>
#include <string>

namespace belvora::ui {

enum class Icon { None, Information, Exclamation, Critical, Question };

// Every message box, question, input box and file or folder dialog of the
// library goes through this interface (console, Qt, or a test fake).
class Interaction {
 public:
  virtual ~Interaction() = default;

  virtual void message(const std::string& title, const std::string& text, Icon icon) = 0;
  // Yes/No question; true means Yes. defaultYes names the default button.
  virtual bool question(const std::string& title, const std::string& text, Icon icon,
                        bool defaultYes) = 0;
  // Input box; returns the entered text (empty on cancel).
  virtual std::string input(const std::string& title, const std::string& prompt,
                            const std::string& defaultValue) = 0;
  // File-open and folder dialogs; empty on cancel. The filter is a list of
  // "description|pattern" pairs joined by "|", as in
  // "XRechnung (*.xml)|*.xml|Alle Dateien (*.*)|*.*"; several patterns of
  // one entry are separated by ";".
  virtual std::string chooseFile(const std::string& title, const std::string& filter) = 0;
  virtual std::string chooseFolder(const std::string& title) = 0;

  // True when this interaction shows real windows: the library's own
  // windows (viewer, dialogs) then open as windows too, else they fall back
  // to their console form.
  virtual bool windows() const { return false; }
};

// The process-wide interaction. Chosen on first use: BELVORA_UI=qt|console;
// unset means Qt when a display is set and a Qt factory is registered.
Interaction& current();

// Replaces the process-wide interaction and returns the previous one
// (tests install a fake, the Qt part installs its windows).
std::unique_ptr<Interaction> install(std::unique_ptr<Interaction> next);

// The Qt part registers how to create its interaction; nullptr unregisters.
using Factory = std::unique_ptr<Interaction> (*)();
void registerQtFactory(Factory factory);

}  // namespace belvora::ui
