// The conversion library: converts beta ".dpb" files to ".pvd", one progress call per file.

#include "tools/uCnvApi.h"
#include "tools/uDpbFile.h"

#include <exception>
#include <string>

RS_CNV_EXPORT void RS_CNV_CALL ExecuteConversion(const char* const* fileNames, std::int32_t count,
                                                 rs::TCnvProgress progress, void* context)
{
    for (std::int32_t i = 0; i < count && fileNames; ++i) {
        const char* name = fileNames[i] ? fileNames[i] : "";
        int status;
        try {
            status = rs::ConvertDpbFile(name);
        } catch (const std::exception&) {
            status = -1;
        }
        if (progress)
            progress(context, name, status);
    }
}
