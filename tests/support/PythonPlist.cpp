#include "tests/support/PythonPlist.h"

#include "tests/support/RunProgram.h"

namespace nestora::test {

const char* const kPlistToJsonPython = R"PY(
import datetime, json, plistlib, sys
def conv(v):
    if isinstance(v, bool): return v
    if isinstance(v, (bytes, bytearray)): return {"data": v.hex()}
    if isinstance(v, datetime.datetime): return {"date": v.isoformat()}
    if isinstance(v, dict): return {k: conv(x) for k, x in v.items()}
    if isinstance(v, list): return [conv(x) for x in v]
    return v
)PY";

namespace {

const std::string kDumpScript = std::string(kPlistToJsonPython) + R"PY(
with open(sys.argv[1], "rb") as f:
    value = plistlib.load(f)
sys.stdout.write(json.dumps(conv(value), sort_keys=True, ensure_ascii=False))
)PY";

constexpr const char* kWriteScript = R"PY(
import datetime, plistlib, sys
value = eval(sys.argv[2])
fmt = plistlib.FMT_BINARY if sys.argv[3] == "binary" else plistlib.FMT_XML
with open(sys.argv[1], "wb") as f:
    plistlib.dump(value, f, fmt=fmt, sort_keys=False)
)PY";

}  // namespace

std::optional<std::string> plistlibJson(const std::string& hostPath) {
    RunResult result = runProgram({NESTORA_TEST_PYTHON, "-c", kDumpScript, hostPath});
    if (result.exitStatus != 0) return std::nullopt;
    return result.out;
}

bool plistlibWrite(const std::string& hostPath, const std::string& pythonLiteral, const std::string& format) {
    RunResult result = runProgram({NESTORA_TEST_PYTHON, "-c", kWriteScript, hostPath, pythonLiteral, format});
    return result.exitStatus == 0;
}

}  // namespace nestora::test
