#pragma once
// The partitions of a UDIF image as its XML property list describes them:
// one "blkx" entry per partition, each a chunk table ("mish") that maps the
// partition's sectors to compressed runs of the data fork. Only read as far
// as verify needs: the names and checksums it prints, and whether every
// table stays within the image.

#include "codesig/udif_trailer.h"

#include <QByteArray>
#include <QList>

struct UdifPartition {
    QByteArray name; // "disk image (Apple_HFS : 2)"
    codesig::UdifChecksum checksum;
};

struct PartitionRead {
    QList<UdifPartition> partitions; // in the property list's order
    QByteArray problem;              // set when a table cannot be trusted
};

PartitionRead readUdifPartitions(const QString &imagePath, const codesig::UdifTrailer &trailer);
