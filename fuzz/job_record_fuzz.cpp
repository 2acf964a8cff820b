// Any record, in memory: formatJobRecord either refuses it, naming the entry,
// or makes a line that parseJobRecord reads back as the same record. Any line:
// parseJobRecord never crashes.

#include "fuzz_support.h"

#include "files/job_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const JobRecord record{anyUtf16(input, 512), anyUtf16(input, 512)};
    const Produced<QString> line = formatJobRecord(record);
    const Result& formatted = line.status;
    if (formatted.ok()) {
        require(parseJobRecord(line.value) == record, "a formatted record parses back the same");
    } else {
        require(formatted.error().endsWith(record.destination) ||
                    formatted.error().endsWith(record.source),
                "a refusal names the entry");
    }
    (void)parseJobRecord(anyUtf16(input, 1024));
    return 0;
}
