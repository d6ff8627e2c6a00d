#include "cli/host_facts.h"

#include "engine/release_tools.h"

#include <QDir>
#include <QSysInfo>

namespace {

// The tools of the contract, each once, in the order the calls name them.
QStringList releaseToolExecutables()
{
    QStringList executables;
    for (const ToolCall &call : {signatureVerificationCall({}), signatureDisplayCall({}), entitlementsCall({}),
                                 appAssessmentCall({}), diskImageAssessmentCall({}), ticketValidationCall({}),
                                 imageVerificationCall({}), attachCall({}), detachCall({})}) {
        if (!executables.contains(call.executable))
            executables << call.executable;
    }
    return executables;
}

} // namespace

EvidenceHost hostFacts(const ToolRoot &toolRoot)
{
    EvidenceHost host;
    host.osName = QSysInfo::productType();
    host.osVersion = QSysInfo::productVersion();
    host.architecture = QSysInfo::currentCpuArchitecture();
    host.toolRoot = QDir::cleanPath(QDir(toolRoot.path).absolutePath());
    host.toolsReadPackageBytes = toolRoot.limits.readsPackageBytes;
    host.toolsReplayRecordedAnswers = toolRoot.limits.replaysRecordedAnswers;
    for (const QString &executable : releaseToolExecutables()) {
        const QString path = QDir::cleanPath(executableUnderRoot(host.toolRoot, executable));
        host.tools << EvidenceTool{path, fileDigest(path).sha256};
    }
    return host;
}
