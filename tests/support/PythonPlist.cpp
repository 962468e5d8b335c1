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

constexpr const char* kEncodeScript = R"PY(
import codecs, sys
text = sys.argv[2].encode("utf-8", "surrogateescape").decode("utf-8")
marks = {"utf-8-bom": (codecs.BOM_UTF8, "utf-8"), "utf-16-le-bom": (codecs.BOM_UTF16_LE, "utf-16-le"),
         "utf-16-be-bom": (codecs.BOM_UTF16_BE, "utf-16-be"), "utf-16-le": (b"", "utf-16-le")}
mark, codec = marks[sys.argv[3]]
with open(sys.argv[1], "wb") as f:
    f.write(mark + text.encode(codec))
)PY";

}  // namespace

std::optional<std::string> plistlibJson(const std::string& hostPath) {
    RunResult result = runProgram({NESTORA_TEST_PYTHON, "-c", kDumpScript, hostPath});
    if (result.exitStatus != 0) return std::nullopt;
    return result.out;
}

bool writeEncodedText(const std::string& hostPath, const std::string& text, const std::string& encoding) {
    return runProgram({NESTORA_TEST_PYTHON, "-c", kEncodeScript, hostPath, text, encoding}).exitStatus == 0;
}

bool plistlibWrite(const std::string& hostPath, const std::string& pythonLiteral, const std::string& format) {
    RunResult result = runProgram({NESTORA_TEST_PYTHON, "-c", kWriteScript, hostPath, pythonLiteral, format});
    return result.exitStatus == 0;
}

}  // namespace nestora::test
