// Any record, in memory: formatJobRecord either refuses it, naming the entry,
// or makes a line that parseJobRecord reads back as the same record. Any line:
// parseJobRecord never crashes. Any bytes of a line: a record read from them
// without decoding is the one that the decoded line parses to, and can be run.

#include "fuzz_support.h"

#include "files/job_list.h"
#include "files/text_codec.h"

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

    const std::string bytes = input.ConsumeRandomLengthString(1024);
    const QByteArrayView utf8Line(bytes.data(), qsizetype(bytes.size()));
    if (const auto fields = goodRecordFieldsInUtf8(utf8Line)) {
        const JobRecord read{textOfUtf8((*fields)[0]), textOfUtf8((*fields)[1])};
        QStringDecoder decoder = makeDecoder(FileEncoding::Utf8);
        require(parseJobRecord(decoder.decode(utf8Line)) == read,
                "a record read from bytes is the one of the decoded line");
        require(!recordProblem(read), "a record read from bytes can be run");
    }
    return 0;
}
