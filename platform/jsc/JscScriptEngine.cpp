// The script engine on JavaScriptCore's GLib interface.
#include <jsc/jsc.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ScriptEngine.h"

namespace zolvex::platform {

namespace {

// Owns one reference of a GObject.
template <typename T>
struct GRef {
  explicit GRef(T* object = nullptr) : object(object) {}
  ~GRef() {
    if (object) g_object_unref(object);
  }
  GRef(const GRef&) = delete;
  GRef& operator=(const GRef&) = delete;
  T* get() const { return object; }
  T* object;
};

ScriptValue FromScript(JSCValue* value) {
  if (jsc_value_is_undefined(value) || jsc_value_is_null(value)) return std::monostate{};
  if (jsc_value_is_boolean(value)) return static_cast<bool>(jsc_value_to_boolean(value));
  if (jsc_value_is_number(value)) return jsc_value_to_double(value);
  char* text = jsc_value_to_string(value);
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

JSCValue* ToScript(JSCContext* context, const ScriptValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return jsc_value_new_string(context, text->c_str());
  if (const auto* number = std::get_if<double>(&value)) return jsc_value_new_number(context, *number);
  if (const auto* flag = std::get_if<bool>(&value)) return jsc_value_new_boolean(context, *flag);
  return jsc_value_new_undefined(context);
}

// Every function the program gives the script raises its errors through this: the native
// part leaves the error behind, the script part throws it as an Error with code and text.
constexpr const char* kPrelude = R"JS(
(function () {
  const take = globalThis.__zolvexTakeError;
  delete globalThis.__zolvexTakeError;
  globalThis.__zolvexWrap = function (native) {
    return function (...args) {
      const result = native(...args);
      const pending = take();
      if (pending !== undefined) {
        const error = new Error(pending.slice(pending.indexOf(':') + 1));
        error.code = error.number = Number(pending.slice(0, pending.indexOf(':')));
        error.description = error.message;
        throw error;
      }
      return result;
    };
  };
})();
)JS";

class JscScriptEngine : public ScriptEngine {
 public:
  JscScriptEngine() : context_(jsc_context_new()) {
    DefineNative("__zolvexTakeError", [this](const std::vector<ScriptValue>&) -> ScriptValue {
      if (!pending_) return std::monostate{};
      std::string text = std::to_string(pending_->Code()) + ":" + pending_->what();
      pending_.reset();
      return text;
    });
    std::string ignored;
    Run(kPrelude, "prelude", ignored);
  }

  void DefineFunction(const std::string& name, Function function) override {
    const std::string native = "__native_" + name;
    DefineNative(native, std::move(function));
    std::string ignored;
    Run("globalThis['" + name + "'] = __zolvexWrap(" + native + "); delete globalThis['" + native + "'];", "define",
        ignored);
  }

  bool Run(const std::string& source, const std::string& fileName, std::string& error) override {
    GRef<JSCValue> result(jsc_context_evaluate_with_source_uri(context_.get(), source.c_str(),
                                                               static_cast<gssize>(source.size()), fileName.c_str(), 1));
    return !TakeException(error);
  }

  bool CallMember(const std::string& object, const std::string& member, const std::vector<ScriptValue>& arguments,
                  bool& called, std::string& error) override {
    called = false;
    GRef<JSCValue> global(jsc_context_get_global_object(context_.get()));
    GRef<JSCValue> holder(jsc_value_object_get_property(global.get(), object.c_str()));
    if (!holder.get() || !jsc_value_is_object(holder.get())) return true;
    GRef<JSCValue> function(jsc_value_object_get_property(holder.get(), member.c_str()));
    if (!function.get() || !jsc_value_is_function(function.get())) return true;
    std::vector<JSCValue*> values;
    for (const ScriptValue& argument : arguments) values.push_back(ToScript(context_.get(), argument));
    called = true;
    GRef<JSCValue> result(jsc_value_function_callv(function.get(), static_cast<guint>(values.size()), values.data()));
    for (JSCValue* value : values) g_object_unref(value);
    return !TakeException(error);
  }

 private:
  struct Native {
    JscScriptEngine* engine;
    Function function;
  };

  void DefineNative(const std::string& name, Function function) {
    natives_.push_back(std::make_unique<Native>(Native{this, std::move(function)}));
    GRef<JSCValue> value(jsc_value_new_function_variadic(context_.get(), name.c_str(), G_CALLBACK(&CallNative),
                                                          natives_.back().get(), nullptr, JSC_TYPE_VALUE));
    jsc_context_set_value(context_.get(), name.c_str(), value.get());
  }

  static JSCValue* CallNative(GPtrArray* arguments, gpointer data) {
    auto* native = static_cast<Native*>(data);
    std::vector<ScriptValue> values;
    for (guint i = 0; arguments && i < arguments->len; ++i) {
      values.push_back(FromScript(static_cast<JSCValue*>(g_ptr_array_index(arguments, i))));
    }
    ScriptValue result;
    try {
      result = native->function(values);
    } catch (const ScriptError& error) {
      native->engine->pending_ = error;
    } catch (const std::exception& error) {
      native->engine->pending_ = ScriptError(0, error.what());
    }
    return ToScript(native->engine->context_.get(), result);
  }

  // True (with "file:line: message") when the last evaluation or call threw.
  bool TakeException(std::string& error) {
    JSCException* exception = jsc_context_get_exception(context_.get());
    if (!exception) return false;
    const char* uri = jsc_exception_get_source_uri(exception);
    const char* message = jsc_exception_get_message(exception);
    error = std::string(uri ? uri : "script") + ":" + std::to_string(jsc_exception_get_line_number(exception)) + ": " +
            (message ? message : "exception");
    jsc_context_clear_exception(context_.get());
    return true;
  }

  GRef<JSCContext> context_;
  std::vector<std::unique_ptr<Native>> natives_;
  std::optional<ScriptError> pending_;
};

}  // namespace

std::unique_ptr<ScriptEngine> ScriptEngine::Create() { return std::make_unique<JscScriptEngine>(); }

}  // namespace zolvex::platform
