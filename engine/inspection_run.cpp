// Written with its issue.
