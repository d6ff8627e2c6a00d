Release notes draft

- Signed with the Developer ID certificate
- Notarized and stapled
