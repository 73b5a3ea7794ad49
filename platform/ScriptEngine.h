#pragma once
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace zolvex::platform {

// A value crossing between a script and the program: nothing (undefined or null), a
// number, a truth value or a text.
using ScriptValue = std::variant<std::monostate, double, bool, std::string>;

// Raised by a function the program gives the script; the script receives an exception
// whose "code" and "number" are the code and whose "description" and "message" are the text.
class ScriptError : public std::runtime_error {
 public:
  ScriptError(int code, const std::string& description) : std::runtime_error(description), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// A JavaScript engine with one global scope. Everything runs on the thread that made it.
class ScriptEngine {
 public:
  using Function = std::function<ScriptValue(const std::vector<ScriptValue>& arguments)>;

  static std::unique_ptr<ScriptEngine> Create();
  virtual ~ScriptEngine() = default;

  // Makes a global function of the name; it may raise ScriptError.
  virtual void DefineFunction(const std::string& name, Function function) = 0;
  // Runs source as a script. False, with "file:line: message", when it does not parse or
  // throws.
  virtual bool Run(const std::string& source, const std::string& fileName, std::string& error) = 0;
  // Calls object.member(arguments) when the global object has a function there: false
  // with the error (as Run reports it) when the call throws; true otherwise, also when
  // there is no such function (then called is false).
  virtual bool CallMember(const std::string& object, const std::string& member,
                          const std::vector<ScriptValue>& arguments, bool& called, std::string& error) = 0;
};

// The text of a value as a script's String() would give it ("" for nothing, numbers
// without a fraction as integers).
std::string ScriptText(const ScriptValue& value);
// The number of a value (texts read as decimal numbers, nothing as 0), cut to an integer.
long long ScriptInteger(const ScriptValue& value);

}  // namespace zolvex::platform
